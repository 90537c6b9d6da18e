#pragma once
// One revolution of a toothed wheel as a complete RIFF/WAVE image, and the playback rate
// that turns it at a given RPM.

#include <cstdint>
#include <optional>
#include <vector>

#include "common/wheel_position.h"

namespace vm {

using WaveImage = std::vector<uint8_t>;

// No image for teeth < 0, missing < 0, a sum < 1, a position other than 1 or 2, a size
// that does not fit, or memory that cannot be had.
std::optional<WaveImage> BuildWaveImage(int32_t availableTeeth, int32_t missingTeeth, int32_t wheelAt);

// N, the frames of half a tooth period: three truncating divisions; 0 for a wheel without
// frames. Needs teeth >= 0, missing >= 0, a sum >= 1 and a position of 1 or 2.
int64_t HalfToothFrames(int32_t availableTeeth, int32_t missingTeeth, int32_t wheelAt);

// The integer nearest to rpm × 11.2 frames per second.
int32_t PlaybackRate(int32_t rpm);

}  // namespace vm
