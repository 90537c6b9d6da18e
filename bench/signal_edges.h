#pragma once
// Edge timing of a rendered left channel as a sound card's reconstruction filter shows it:
// the samples upsampled 32 times with a Kaiser-windowed sinc, zero crossings placed by
// linear interpolation between the upsampled points.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vm::bench {

struct Crossing {
  double at;  // in output samples
  bool rising;
};

// Every zero crossing of `left`, at least `margin` samples from either end.
std::vector<Crossing> FindCrossings(const std::vector<int16_t>& left, int margin);

struct EdgeErrors {
  size_t edges = 0;   // ideal edges compared
  size_t missed = 0;  // ideal edges without a crossing of their direction nearby
  size_t extra = 0;   // crossings matched to no ideal edge
  double rms = 0;     // after the mean offset is removed, in output samples
  double max = 0;
  double slope = 0;  // measured / ideal edge spacing - 1, from a straight-line fit
};

// Pairs each ideal edge (time in output samples, direction) with the nearest crossing of
// its direction within `window` samples.
EdgeErrors CompareEdges(const std::vector<Crossing>& found, const std::vector<Crossing>& ideal, double window);

}  // namespace vm::bench
