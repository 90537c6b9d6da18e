#include "signal/wav_writer.h"

#include <cerrno>
#include <filesystem>
#include <random>
#include <system_error>

namespace vm {
namespace {

void Put(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>((value >> (8 * i)) & 0xFFu));
}

void PutId(std::vector<uint8_t>& out, const char* id) { out.insert(out.end(), id, id + 4); }

// Opens a new sibling of `path` for writing; "x" never takes over an existing file.
std::FILE* CreateTemporarySibling(const std::string& path, std::string& temporary) {
  std::random_device seed;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = path + ".tmp" + std::to_string(seed() % 1000000u);
    if (std::FILE* file = std::fopen(temporary.c_str(), "wbx")) return file;
    if (errno != EEXIST) break;
  }
  temporary.clear();
  return nullptr;
}

bool Renamed(const std::string& from, const std::string& to) {
  std::error_code error;
  std::filesystem::rename(from, to, error);
  return !error;
}

}  // namespace

std::vector<uint8_t> WavHeader(int32_t framesPerSecond, uint32_t dataBytes) {
  std::vector<uint8_t> out;
  out.reserve(44);
  PutId(out, "RIFF");
  Put(out, 36u + dataBytes, 4);
  PutId(out, "WAVE");
  PutId(out, "fmt ");
  Put(out, 16, 4);
  Put(out, 1, 2);
  Put(out, 2, 2);
  Put(out, static_cast<uint32_t>(framesPerSecond), 4);
  Put(out, static_cast<uint32_t>(framesPerSecond) * 4u, 4);
  Put(out, 4, 2);
  Put(out, 16, 2);
  PutId(out, "data");
  Put(out, dataBytes, 4);
  return out;
}

WavWriter::~WavWriter() { Abandon(); }

bool WavWriter::Open(const std::string& path, int32_t framesPerSecond) {
  Abandon();
  path_ = path;
  framesPerSecond_ = framesPerSecond;
  dataBytes_ = 0;
  file_ = CreateTemporarySibling(path, temporaryPath_);
  if (!file_) return false;
  const auto header = WavHeader(framesPerSecond, 0);  // sizes are patched by Commit
  if (std::fwrite(header.data(), 1, header.size(), file_) == header.size()) return true;
  Abandon();
  return false;
}

bool WavWriter::Append(std::span<const int16_t> interleaved) {
  if (!file_) return false;
  const uint64_t bytes = uint64_t{2} * interleaved.size();
  // A part frame or a file too long for its size fields spoils the whole file.
  if (interleaved.size() % 2 != 0 || dataBytes_ + bytes > kMaxWavDataBytes) {
    Abandon();
    return false;
  }
  if (!WriteSamples(file_, interleaved)) {
    Abandon();
    return false;
  }
  dataBytes_ += bytes;
  return true;
}

bool WavWriter::WriteSamples(std::FILE* file, std::span<const int16_t> interleaved) {
  uint8_t buffer[1024];
  size_t used = 0;
  for (const int16_t sample : interleaved) {
    const auto bits = static_cast<uint16_t>(sample);
    buffer[used++] = static_cast<uint8_t>(bits & 0xFFu);
    buffer[used++] = static_cast<uint8_t>(bits >> 8);
    if (used == sizeof buffer) {
      if (std::fwrite(buffer, 1, used, file) != used) return false;
      used = 0;
    }
  }
  return used == 0 || std::fwrite(buffer, 1, used, file) == used;
}

bool WavWriter::Commit() {
  if (!file_) return false;
  const auto header = WavHeader(framesPerSecond_, static_cast<uint32_t>(dataBytes_));
  bool ok = std::fseek(file_, 0, SEEK_SET) == 0 && std::fwrite(header.data(), 1, header.size(), file_) == header.size();
  ok = std::fflush(file_) == 0 && ok;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  if (ok && Renamed(temporaryPath_, path_)) {
    temporaryPath_.clear();
    return true;
  }
  Abandon();
  return false;
}

void WavWriter::Abandon() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  if (!temporaryPath_.empty()) std::remove(temporaryPath_.c_str());
  temporaryPath_.clear();
}

}  // namespace vm
