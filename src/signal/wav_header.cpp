#include "signal/wav_header.h"

namespace vm {
namespace {

void Put(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>((value >> (8 * i)) & 0xFFu));
}

void PutId(std::vector<uint8_t>& out, const char (&id)[5]) { out.insert(out.end(), id, id + 4); }

}  // namespace

std::vector<uint8_t> WavHeader(int32_t framesPerSecond, uint32_t dataBytes) {
  constexpr uint16_t channels = 2;
  constexpr uint16_t bitsPerSample = 16;
  // Block align from the channels and sample size, bytes per second from the rate and block.
  constexpr uint16_t blockAlign = channels * ((bitsPerSample + 7) / 8);
  std::vector<uint8_t> out;
  out.reserve(kWavHeaderBytes);
  PutId(out, "RIFF");
  Put(out, 36u + dataBytes, 4);
  PutId(out, "WAVE");
  PutId(out, "fmt ");
  Put(out, 16, 4);
  Put(out, 1, 2);  // integer PCM
  Put(out, channels, 2);
  Put(out, static_cast<uint32_t>(framesPerSecond), 4);
  Put(out, static_cast<uint32_t>(framesPerSecond) * blockAlign, 4);
  Put(out, blockAlign, 2);
  Put(out, bitsPerSample, 2);
  PutId(out, "data");
  Put(out, dataBytes, 4);
  return out;
}

}  // namespace vm
