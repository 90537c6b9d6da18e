#pragma once
// The 44-byte header of a 16-bit stereo PCM WAV file: the one layout both the wheel's image
// and the rendered files use.

#include <cstdint>
#include <vector>

namespace vm {

inline constexpr int32_t kWavHeaderBytes = 44;

// "RIFF", 36 + dataBytes, "WAVE", a 16-byte "fmt " chunk (PCM, 2 channels, framesPerSecond,
// bytes per second, block align, 16 bits) and "data" with dataBytes; little-endian.
std::vector<uint8_t> WavHeader(int32_t framesPerSecond, uint32_t dataBytes);

// Writes the two sizes of such a header (the RIFF size and the data size) for `dataBytes`.
void SetWavDataBytes(uint8_t* header, uint32_t dataBytes);

}  // namespace vm
