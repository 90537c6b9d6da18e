#pragma once
// Finds the playable frames in a RIFF/WAVE image: the checks the sound output makes
// before it copies anything.

#include <cstdint>
#include <optional>
#include <span>

namespace vm {

struct WaveFrames {
  std::span<const uint8_t> data;  // whole 16-bit stereo frames, 4 bytes each, inside the image
  int32_t framesPerSecond = 0;    // the image's nominal rate
  uint32_t FrameCount() const { return static_cast<uint32_t>(data.size() / 4); }
};

// The largest sound we take: far beyond any wheel (at most 1378 frames), and small enough
// that the conversion's running sums stay within 64-bit integers.
inline constexpr uint32_t kMaxSoundFrames = 1u << 22;
// The highest rate the conversion follows, in frames per second.
inline constexpr int32_t kMaxPlaybackRate = 1 << 22;
// The device rates the conversion works at.
inline constexpr int32_t kMinDeviceRate = 4000;
inline constexpr int32_t kMaxDeviceRate = 1 << 20;

// "RIFF" at offset 0, then chunks from offset 12 on (id, 32-bit little-endian size, body,
// no pad byte): the first "fmt " chunk, then the next "data" chunk after it. Nothing for
// a chunk reaching past the image, a format other than 16-bit two-channel integer PCM at a
// rate of 1..kMaxPlaybackRate, a data chunk that is not whole frames, or no frames at all.
[[nodiscard]] std::optional<WaveFrames> ReadWaveImage(std::span<const uint8_t> image);

}  // namespace vm
