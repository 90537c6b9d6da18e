#pragma once
// The RPM slider (RpmSlider): its range, and the RPM a position stands for.

#include <cstdint>

namespace vm {

inline constexpr int32_t kRpmSliderMinimum = 50;
inline constexpr int32_t kRpmSliderMaximum = 7500;

// The RPM is always twice the slider's position; 64 bits, so that any position doubles.
inline constexpr int64_t RpmOfSliderPosition(int32_t position) { return int64_t{2} * position; }

}  // namespace vm
