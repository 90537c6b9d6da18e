#include "signal/wav_writer.h"

#include <string_view>
#include <utility>
#include <vector>

#include "signal/pcm16.h"

namespace vm {
namespace {

std::string_view Bytes(const std::vector<uint8_t>& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace

bool WavWriter::Open(const std::string& path, int32_t framesPerSecond) {
  framesPerSecond_ = framesPerSecond;
  dataBytes_ = 0;
  // The sizes are written over by Commit, once they are known.
  return file_.Open(path) && file_.Append(Bytes(WavHeader(framesPerSecond, 0)));
}

bool WavWriter::Append(std::span<const int16_t> interleaved) {
  if (!file_.IsOpen()) return false;
  const uint64_t bytes = uint64_t{2} * interleaved.size();
  // A part frame or a file too long for its size fields spoils the whole file.
  if (interleaved.size() % 2 != 0 || dataBytes_ + bytes > kMaxWavDataBytes) {
    file_.Abandon();
    return false;
  }
  uint8_t buffer[4096];
  size_t used = 0;
  const auto flush = [&] { return file_.Append({reinterpret_cast<const char*>(buffer), std::exchange(used, 0)}); };
  for (const int16_t sample : interleaved) {
    PutSample(buffer + used, sample);
    used += 2;
    if (used == sizeof buffer && !flush()) return false;
  }
  if (used != 0 && !flush()) return false;
  dataBytes_ += bytes;
  return true;
}

bool WavWriter::Commit() {
  return file_.Overwrite(0, Bytes(WavHeader(framesPerSecond_, static_cast<uint32_t>(dataBytes_)))) && file_.Commit();
}

void WavWriter::Abandon() { file_.Abandon(); }

}  // namespace vm
