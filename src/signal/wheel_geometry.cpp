#include "signal/wheel_geometry.h"

#include "common/wheel_position.h"

namespace vm {
namespace {

constexpr int64_t kNominalRate = 44100;

}  // namespace

std::optional<WheelGeometry> GeometryOfWheel(int32_t availableTeeth, int32_t missingTeeth, int32_t wheelAt) {
  // The sum is taken in 64 bits so that two large counts cannot overflow; a zero sum would
  // divide by zero.
  const int64_t teeth = int64_t{availableTeeth} + missingTeeth;
  if (availableTeeth < 0 || missingTeeth < 0 || teeth < 1 || (wheelAt != Camshaft && wheelAt != Crankshaft))
    return std::nullopt;
  // Three truncating divisions in this order; each truncation shows in the signal.
  const int64_t q1 = kNominalRate / (2 * teeth);
  const int64_t q2 = q1 / 32;
  const int64_t n = q2 / wheelAt;
  return WheelGeometry{n, 2 * n * teeth};
}

std::optional<WheelGeometry> GeometryOfWheel(const WheelSignal& wheel) {
  return GeometryOfWheel(wheel.AvailableTeeth, wheel.MissingTeeth, wheel.WheelAt);
}

}  // namespace vm
