#include "speed_limit.h"

#include <algorithm>

#include "batch/rpm_slider.h"
#include "common/parse_integer.h"
#include "signal/exact_rate.h"
#include "signal/wheel_geometry.h"

namespace vm::render {
namespace {

template <class Signal>
int64_t HighestRpm(const Signal& signal, int32_t deviceRate, int64_t ceiling) {
  return HighestRpmThatPlays(ceiling, [&](int64_t rpm) { return PlaysAtRate(signal, rpm, deviceRate); });
}

template <class Signal>
std::optional<std::string> LimitError(const Signal& signal, const char* what, int64_t rpm, int32_t deviceRate,
                                      int64_t ceiling) {
  if (PlaysAtRate(signal, rpm, deviceRate)) return std::nullopt;
  return FormatDecimal(rpm) + " RPM is too fast for a " + FormatDecimal(deviceRate) + " Hz output: this " + what +
         " plays up to " + FormatDecimal(HighestRpm(signal, deviceRate, ceiling)) + " RPM";
}

template <class Signal>
std::optional<std::string> BatchLimitError(const Signal& signal, const std::vector<BatchRow>& rows,
                                           int32_t deviceRate) {
  constexpr int64_t lowest = RpmOfSliderPosition(kRpmSliderMinimum);
  constexpr int64_t highest = RpmOfSliderPosition(kRpmSliderMaximum);
  for (size_t step = 0; step < rows.size(); ++step) {
    const int64_t rpm = std::clamp<int64_t>(
        std::max<int64_t>(ParseInteger32(rows[step][1]), ParseInteger32(rows[step][2])), lowest, highest);
    if (auto error = SpeedLimitError(signal, rpm, deviceRate, highest))
      return "step " + FormatDecimal(static_cast<int64_t>(step) + 1) + ": " + *error;
  }
  return std::nullopt;
}

}  // namespace

bool PlaysAtRate(const WheelSignal& wheel, int64_t rpm, int32_t deviceRate) {
  const auto geometry = GeometryOfWheel(wheel);
  const int64_t halfTooth = geometry ? geometry->halfToothFrames : 0;
  if (halfTooth <= 0 || rpm < 1 || rpm > INT32_MAX || deviceRate < 1) return false;
  const RateFraction rate = SignalPlaybackRate(wheel, static_cast<int32_t>(rpm));
  // Teeth per second, rate / (2 × halfTooth), up to 0.45 × deviceRate; in whole numbers,
  // far inside 64 bits (a rate under 2^32, a half tooth under 2^11, a denominator under 2^10).
  return 10 * rate.numerator <= 9 * halfTooth * int64_t{deviceRate} * rate.denominator;
}

int64_t HighestPlayableRpm(const WheelSignal& wheel, int32_t deviceRate, int64_t ceiling) {
  return HighestRpm(wheel, deviceRate, ceiling);
}

std::optional<std::string> SpeedLimitError(const WheelSignal& wheel, int64_t rpm, int32_t deviceRate, int64_t ceiling) {
  return LimitError(wheel, "wheel", rpm, deviceRate, ceiling);
}

std::optional<std::string> BatchSpeedLimitError(const WheelSignal& wheel, const std::vector<BatchRow>& rows,
                                                int32_t deviceRate) {
  return BatchLimitError(wheel, rows, deviceRate);
}

bool PlaysAtRate(const PatternSound& pattern, int64_t rpm, int32_t deviceRate) {
  return PatternPlaysAtRate(pattern, rpm, deviceRate);
}

int64_t HighestPlayableRpm(const PatternSound& pattern, int32_t deviceRate, int64_t ceiling) {
  return HighestPatternRpm(pattern, deviceRate, ceiling);
}

std::optional<std::string> SpeedLimitError(const PatternSound& pattern, int64_t rpm, int32_t deviceRate,
                                           int64_t ceiling) {
  return LimitError(pattern, "pattern", rpm, deviceRate, ceiling);
}

std::optional<std::string> BatchSpeedLimitError(const PatternSound& pattern, const std::vector<BatchRow>& rows,
                                                int32_t deviceRate) {
  return BatchLimitError(pattern, rows, deviceRate);
}

}  // namespace vm::render
