#pragma once
// The signal as the options want it: the wheel alone, or the wheel on the left channel and
// a cam event per engine cycle on the right.
//
// The cam event is a bipolar pulse around a rest level of 0: -32000 for the width, then
// +32000 for the same width, so its mean is zero and a sound card's coupling capacitor
// does not shift it. The event is the rising edge between the two halves, at the set angle.
// The negative half comes first so that the signal rises nowhere else: the return to rest
// after the pulse is a falling edge. (The other order ends with a rise from -32000 to 0,
// which, once a high-pass has let the negative half decay, crosses a comparator's upper
// threshold as a second event: below about 1000 RPM for a one-tooth width.)

#include <cstdint>
#include <optional>

#include "signal/wave_image.h"
#include "signal/wheel_signal.h"

namespace vm {

inline constexpr int16_t kCamLevel = 32000;

// Crankshaft revolutions in the image the options give: two for a crankshaft wheel with
// the cam signal (one engine cycle), else one revolution of the wheel.
int32_t CrankRevolutionsPerImage(const WheelSignal& config);

// Crankshaft degrees in one loop of the signal image: 720 with the cam signal or on the
// camshaft, else 360. A cam phase is a part of this loop (CamPhaseUnitsOf).
int32_t LoopCrankDegrees(const WheelSignal& config);

// BuildWaveImage of the wheel with the cam signal off. With it on, the wheel's frames over
// one engine cycle (720 crankshaft degrees) on the left, and on the right the cam event at
// `camAngle` degrees after the rising edge of the first tooth after the gap (the image's
// first rising edge), each half `camWidth` degrees wide (one tooth period for 0, and never
// less), both rounded to the nearest frame. No image where BuildWaveImage gives none.
std::optional<WaveImage> BuildSignalImage(const WheelSignal& config);

// Frame of the cam event's rising edge and the frames of each half, for an image of
// `cycleFrames` frames whose first rising edge is at frame `halfTooth`.
struct CamPulse {
  int64_t edge = 0;
  int64_t width = 0;
};
CamPulse CamPulseFrames(const SignalOptions& options, int64_t halfTooth, int64_t cycleFrames);

}  // namespace vm
