#pragma once
// An ECU's cam input as the cam tests model it: a comparator with ±10 % hysteresis, behind a
// sound card's coupling (a 5 Hz first-order high-pass) or straight.

#include <cmath>
#include <numbers>

namespace vm::test {

inline constexpr double kCamHighPassTau = 1.0 / (2.0 * std::numbers::pi * 5.0);  // the 5 Hz high-pass
inline constexpr double kCamThreshold = 3200.0;                                  // ±10 % of full scale

// Feed it levels held for `seconds` each; it tells when it goes high.
class CamInput {
 public:
  CamInput(bool highPass, double seconds) : highPass_(highPass), decay_(std::exp(-seconds / kCamHighPassTau)) {}
  // Whether the comparator went high with this level; `crossing` is where within the step
  // from the previous level (0..1) the filtered signal passed the upper threshold.
  bool Feed(double level, double& crossing) {
    const double before = y_;
    y_ = highPass_ ? y_ + level - previous_ : level;
    previous_ = level;
    const bool rose = !high_ && y_ > kCamThreshold;
    if (rose) crossing = (kCamThreshold - before) / (y_ - before);
    if (y_ > kCamThreshold) high_ = true;
    if (y_ < -kCamThreshold) high_ = false;
    if (highPass_) y_ *= decay_;
    return rose;
  }
  bool High() const { return high_; }

 private:
  bool highPass_;
  double decay_;
  double y_ = 0;
  double previous_ = 0;
  bool high_ = false;
};

}  // namespace vm::test
