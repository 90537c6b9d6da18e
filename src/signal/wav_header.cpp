#include "signal/wav_header.h"

#include <cstring>

#include "signal/pcm16.h"

namespace vm {

std::vector<uint8_t> WavHeader(int32_t framesPerSecond, uint32_t dataBytes) {
  constexpr uint16_t channels = 2;
  constexpr uint16_t bitsPerSample = 16;
  // Block align from the channels and sample size, bytes per second from the rate and block.
  constexpr uint16_t blockAlign = channels * ((bitsPerSample + 7) / 8);
  std::vector<uint8_t> out(kWavHeaderBytes);
  uint8_t* at = out.data();
  std::memcpy(at, "RIFF", 4);
  std::memcpy(at + 8, "WAVEfmt ", 8);
  PutLe32(at + 16, 16);
  PutLe16(at + 20, 1);  // integer PCM
  PutLe16(at + 22, channels);
  PutLe32(at + 24, static_cast<uint32_t>(framesPerSecond));
  PutLe32(at + 28, static_cast<uint32_t>(framesPerSecond) * blockAlign);
  PutLe16(at + 32, blockAlign);
  PutLe16(at + 34, bitsPerSample);
  std::memcpy(at + 36, "data", 4);
  SetWavDataBytes(at, dataBytes);
  return out;
}

void SetWavDataBytes(uint8_t* header, uint32_t dataBytes) {
  PutLe32(header + 4, 36u + dataBytes);
  PutLe32(header + 40, dataBytes);
}

}  // namespace vm
