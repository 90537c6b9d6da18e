#include "support/wheel_signal.h"

#include <algorithm>
#include <cmath>

#include "support/samples.h"

namespace vm::test {

namespace {

enum class Interval { Tooth, Gap, Other };

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

void CountLevels(std::span<const int16_t> interleaved, WheelSignal& signal) {
  for (size_t i = 0; i + 1 < interleaved.size(); i += 2) {
    const int left = interleaved[i], right = interleaved[i + 1];
    signal.overLimit += (std::abs(left) > 32000) + (std::abs(right) > 32000);
    signal.notAntiphase += right != -left;
  }
}

}  // namespace

WheelSignal ReadWheel(std::span<const int16_t> interleaved, int teeth, int missing) {
  WheelSignal signal;
  CountLevels(interleaved, signal);
  const std::vector<double> edges = RisingEdges(Channel(interleaved, 0));
  std::vector<double> intervals;
  for (size_t i = 1; i < edges.size(); ++i) intervals.push_back(edges[i] - edges[i - 1]);
  signal.tooth = Median(intervals);
  const double gap = (missing + 1) * signal.tooth;
  auto kind = [&](double interval) {
    if (std::abs(interval - signal.tooth) < signal.tooth / 4) return Interval::Tooth;
    if (std::abs(interval - gap) < signal.tooth / 4) return Interval::Gap;
    return Interval::Other;
  };
  // A revolution starts at the edge after a gap; the intervals before the first gap are a
  // part of one and are not judged.
  std::vector<double> lengths;
  double start = -1;
  int toothIntervals = 0;
  bool whole = false;  // the revolution under way began cleanly after a gap
  Interval previous = Interval::Tooth;
  for (size_t i = 0; i < intervals.size(); ++i) {
    const Interval now = kind(intervals[i]);
    if (now == Interval::Other) {
      signal.breaks += previous != Interval::Other;
      whole = false;
    } else if (now == Interval::Tooth) {
      ++toothIntervals;
    } else {
      if (whole && toothIntervals == teeth - 1) {
        lengths.push_back(edges[i + 1] - start);
      } else if (whole) {
        ++signal.breaks;
      }
      start = edges[i + 1];
      whole = true;
      toothIntervals = 0;
    }
    previous = now;
  }
  signal.revolutions = lengths.size();
  signal.revolution = Median(lengths);
  return signal;
}

}  // namespace vm::test
