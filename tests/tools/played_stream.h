#pragma once
// What velomira-play handed the device, as SDL's disk driver wrote it, and the stream the
// sound output is expected to give, from the same rate conversion.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "signal/loop_resampler.h"
#include "signal/loop_sound.h"
#include "signal/wave_image.h"

namespace vm::test {

inline constexpr int32_t kDeviceRate = 48000;  // what the output asks for; the disk driver grants it

// Whether `expected` stands in `left` from frame `at` on, and whether all of `frames` is silent.
bool PlayedAt(const std::vector<int16_t>& left, size_t at, const std::vector<int16_t>& expected);
bool Silent(const std::vector<int16_t>& frames, size_t from = 0);

// The first frame at or after `from` that is not silent; left.size() when none is.
size_t FirstSound(const std::vector<int16_t>& left, size_t from = 0);
// The first frame at or after `from` that starts `run` silent frames, or a silence that
// lasts to the end; left.size() when there is neither.
size_t SilenceFrom(const std::vector<int16_t>& left, size_t from, size_t run = 256);

// The RPM each tooth shows: the typical interval between rising edges over `slots` equal
// parts of [from, to); `toothFrames` is a tooth's length in the wheel's image.
std::vector<double> RpmPerSlot(const std::vector<int16_t>& left, size_t from, size_t to, size_t slots,
                               double toothFrames);

// The sound output's stream for one wheel from its first frame on, continued call by call;
// a copy goes on from where the original stands.
class StreamModel {
 public:
  explicit StreamModel(const WaveImage& image);
  std::vector<int16_t> Left(int32_t rate, uint64_t frames);
  uint64_t Revolutions() const { return resampler_.Revolutions(); }

 private:
  std::shared_ptr<const LoopSound> sound_;  // shared by copies: only the position is their own
  LoopResampler resampler_{kDeviceRate};
};

}  // namespace vm::test
