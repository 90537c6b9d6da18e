#pragma once
// One revolution of a toothed wheel as a complete RIFF/WAVE image, and the playback rate
// that turns it at a given RPM.

#include <cstdint>
#include <optional>
#include <vector>

#include "common/wheel_position.h"

namespace vm {

using WaveImage = std::vector<uint8_t>;

// No image where GeometryOfWheel gives no wheel, for a size that does not fit, or for
// memory that cannot be had.
std::optional<WaveImage> BuildWaveImage(int32_t availableTeeth, int32_t missingTeeth, int32_t wheelAt);

// The integer nearest to rpm × 11.2 frames per second.
int32_t PlaybackRate(int32_t rpm);

}  // namespace vm
