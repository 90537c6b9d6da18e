#pragma once
// Little-endian 16- and 32-bit fields and 16-bit PCM samples, as WAV files hold them: the one
// place that lays out their bytes. Samples convert to and from their 16-bit pattern, which
// wraps by definition.

#include <cstdint>

namespace vm {

inline void PutLe16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value & 0xFFu);
  at[1] = static_cast<uint8_t>(value >> 8);
}

inline void PutLe32(uint8_t* at, uint32_t value) {
  PutLe16(at, static_cast<uint16_t>(value & 0xFFFFu));
  PutLe16(at + 2, static_cast<uint16_t>(value >> 16));
}

inline uint16_t GetLe16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }

inline uint32_t GetLe32(const uint8_t* at) { return GetLe16(at) | static_cast<uint32_t>(GetLe16(at + 2)) << 16; }

inline void PutSample(uint8_t* at, int16_t level) { PutLe16(at, static_cast<uint16_t>(level)); }

inline int16_t GetSample(const uint8_t* at) { return static_cast<int16_t>(GetLe16(at)); }

}  // namespace vm
