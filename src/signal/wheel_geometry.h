#pragma once
// The shape of a wheel's image at the nominal 44100 frames per second, worked out in one
// place for the image builder, the exact rate and the cam signal.

#include <cstdint>
#include <optional>

#include "signal/wheel_signal.h"

namespace vm {

// Each tooth is N low frames, then N high ones; the gap is low. So the image's first rising
// edge, the first tooth's after the gap, is at frame N.
struct WheelGeometry {
  int64_t halfToothFrames = 0;   // N: three truncating divisions, each showing in the signal
  int64_t revolutionFrames = 0;  // one turn: 2 N (teeth + missing)
};

// Nothing when there is no wheel: teeth < 0, missing < 0, a sum < 1, or a position other
// than Camshaft or Crankshaft. Such values can only come from a config file. A wheel may
// still have no frames (N = 0 for very many teeth).
std::optional<WheelGeometry> GeometryOfWheel(int32_t availableTeeth, int32_t missingTeeth, int32_t wheelAt);
// The same for a wheel record, so that its users need not pick its fields.
std::optional<WheelGeometry> GeometryOfWheel(const WheelSignal& wheel);

}  // namespace vm
