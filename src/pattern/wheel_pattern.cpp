#include "pattern/wheel_pattern.h"

#include <algorithm>

#include "common/wheel_position.h"

namespace vm {
namespace {

// Nearest hundredth of a degree to `halves` half-tooth periods of a cycle of `slots` teeth.
int32_t HalfTeethAngle(int64_t halves, int64_t slots, int32_t cycle) {
  return static_cast<int32_t>((halves * cycle + slots) / (2 * slots));
}

// The cam pulse as the signal places it: the event `camAngle` crank degrees after the first
// tooth's rise, each half `camWidth` degrees, at least one tooth period and at most half the
// cycle.
HighStretch CamHigh(const SignalOptions& options, int32_t firstRise, int32_t toothPeriod, int32_t cycle) {
  const int32_t angle = std::clamp(options.camAngle, 0, kCamAngleMax) * kCentidegreesPerDegree;
  const int32_t set = std::min(options.camWidth, kCamWidthMax) * kCentidegreesPerDegree;
  const int32_t width = std::clamp(std::max(set, toothPeriod), 1, cycle / 2);
  const int32_t rise = (firstRise + angle) % cycle;
  return {rise, rise + width};
}

std::string Description(const WheelConfig& wheel) {
  std::string text = std::to_string(wheel.AvailableTeeth) + "-" + std::to_string(wheel.MissingTeeth) +
                     " wheel on the " + (wheel.WheelAt == Crankshaft ? "crankshaft" : "camshaft");
  if (wheel.Signal.cam) text += ", cam signal at " + std::to_string(wheel.Signal.camAngle) + "\xC2\xB0";
  return text;
}

}  // namespace

std::optional<Pattern> WheelPattern(const WheelConfig& wheel) {
  const int64_t teeth = wheel.AvailableTeeth;
  const int64_t slots = teeth + int64_t{wheel.MissingTeeth};
  if (teeth < 1 || wheel.MissingTeeth < 0 || (wheel.WheelAt != Crankshaft && wheel.WheelAt != Camshaft)) return {};
  const bool camCycle = wheel.WheelAt == Camshaft || wheel.Signal.cam;
  const int32_t turn = wheel.WheelAt == Camshaft ? kEngineCycleCentidegrees : kRevolutionCentidegrees;
  // A half tooth of less than two hundredths would make a high touch its neighbour.
  if (HalfTeethAngle(1, slots, turn) < 2) return {};
  Pattern pattern;
  pattern.name = wheel.Type;
  pattern.description = Description(wheel);
  pattern.cycle = camCycle ? kEngineCycleCentidegrees : kRevolutionCentidegrees;
  for (int32_t start = 0; start < pattern.cycle; start += turn) {
    for (int64_t k = 0; k < teeth; ++k) {
      pattern.crank.highs.push_back(
          {start + HalfTeethAngle(2 * k + 1, slots, turn), start + HalfTeethAngle(2 * k + 2, slots, turn)});
    }
  }
  if (wheel.Signal.cam) {
    pattern.hasCam = true;
    const int32_t toothPeriod = HalfTeethAngle(2, slots, turn);
    pattern.cam.highs.push_back(CamHigh(wheel.Signal, pattern.crank.highs.front().rise, toothPeriod, pattern.cycle));
  }
  return pattern;
}

}  // namespace vm
