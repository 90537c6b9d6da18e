#pragma once
// A pattern's picture as plain drawing primitives: both tracks over one cycle, a degree scale
// and the crank teeth numbered from the gap, the picture a user compares with the drawing in
// a service manual. No toolkit: a dialog, a live view and an SVG file all draw from these.
//
// The picture is kPictureWidth pixels wide, in tenths of a pixel (common/picture.h), so that
// edges 0.01° apart stay apart.

#include <cstddef>
#include <cstdint>

#include "common/picture.h"
#include "pattern/pattern.h"

namespace vm {

inline constexpr int32_t kPictureWidth = 1200;  // pixels

// The picture of one cycle of `pattern`.
Picture DrawPattern(const Pattern& pattern);

// Where `angle` (0 to cycle) lies across DrawPattern's picture, in its units: the place of a
// position marker over the picture of a pattern with this cycle.
int32_t PatternPictureX(int32_t cycle, int64_t angle);

// The index in track.highs of the tooth numbered 1: the first after the longest low (the
// gap); the first tooth of the cycle when every low is as long as the others.
size_t FirstToothAfterGap(const PatternTrack& track, int32_t cycle);

}  // namespace vm
