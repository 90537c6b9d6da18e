#pragma once
// What the sound card carries beyond the wheel itself: the exact wheel speed and the cam
// signal on the right channel, with its live phase. Both are off by default, and then the signal is the wheel
// alone, turned at the rate PlaybackRate gives, with right = -left.

#include <cstdint>
#include <string>

namespace vm {

inline constexpr int32_t kCamAngleMax = 719;  // crankshaft degrees after the first tooth's rising edge
inline constexpr int32_t kCamWidthMax = 360;  // each half of the pulse; both halves fill one cycle

struct SignalOptions {
  bool exactSpeed = false;  // the wheel turns at exactly the RPM shown (half of it on the camshaft)
  bool cam = false;         // one cam event per engine cycle on the right channel
  int32_t camAngle = 0;     // crankshaft degrees, 0..kCamAngleMax
  int32_t camWidth = 0;     // crankshaft degrees, 1..kCamWidthMax; 0 is one tooth period
  // Tenths of a crankshaft degree the cam is moved against the crank while it plays
  // (±kMaxCamPhaseTenths); 0 is the cam as built.
  int32_t camPhase = 0;
  // A trigger pattern played in place of the wheel and its cam: a library name or a pattern
  // file's path; empty for the wheel.
  std::string pattern{};
  bool operator==(const SignalOptions&) const = default;
};

}  // namespace vm
