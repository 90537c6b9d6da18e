#include "signal_edges.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace vm::bench {
namespace {

constexpr int kPhases = 32;     // upsampling factor
constexpr int kHalfWidth = 32;  // filter taps either side
constexpr double kBeta = 9.0;   // Kaiser window: about 90 dB stop band

double BesselI0(double x) {
  double sum = 1, term = 1;
  for (int k = 1; k < 50; ++k) {
    term *= (x / (2 * k)) * (x / (2 * k));
    sum += term;
  }
  return sum;
}

// taps[phase][i] weighs sample j - kHalfWidth + 1 + i for the point j + phase / kPhases.
using Taps = std::array<std::array<double, 2 * kHalfWidth>, kPhases>;

Taps MakeTaps() {
  Taps taps{};
  for (int phase = 0; phase < kPhases; ++phase) {
    double sum = 0;
    for (int i = 0; i < 2 * kHalfWidth; ++i) {
      const double t = static_cast<double>(phase) / kPhases - (i - kHalfWidth + 1);
      const double sinc = t == 0 ? 1 : std::sin(std::numbers::pi * t) / (std::numbers::pi * t);
      const double r = t / kHalfWidth;
      const double window = std::abs(r) >= 1 ? 0 : BesselI0(kBeta * std::sqrt(1 - r * r)) / BesselI0(kBeta);
      taps[phase][i] = sinc * window;
      sum += taps[phase][i];
    }
    for (double& tap : taps[phase]) tap /= sum;  // unity gain at DC in every phase
  }
  return taps;
}

double Upsampled(const std::vector<int16_t>& x, const Taps& taps, long j, int phase) {
  double y = 0;
  for (int i = 0; i < 2 * kHalfWidth; ++i) {
    const long n = j - kHalfWidth + 1 + i;
    if (n >= 0 && n < static_cast<long>(x.size())) y += taps[phase][i] * x[n];
  }
  return y;
}

// The crossing of the upsampled signal nearest to `guess` between samples j - 1 and j + 2.
bool Refine(const std::vector<int16_t>& x, const Taps& taps, long j, bool rising, double guess, double& at) {
  std::array<double, 3 * kPhases + 1> y{};
  for (int q = 0; q <= 3 * kPhases; ++q) y[q] = Upsampled(x, taps, j - 1 + q / kPhases, q % kPhases);
  bool found = false;
  for (int q = 0; q < 3 * kPhases; ++q) {
    const bool crosses = rising ? (y[q] < 0 && y[q + 1] >= 0) : (y[q] >= 0 && y[q + 1] < 0);
    if (!crosses) continue;
    const double t = j - 1 + (q + y[q] / (y[q] - y[q + 1])) / kPhases;
    if (!found || std::abs(t - guess) < std::abs(at - guess)) at = t;
    found = true;
  }
  return found;
}

}  // namespace

std::vector<Crossing> FindCrossings(const std::vector<int16_t>& left, int margin) {
  static const Taps taps = MakeTaps();
  std::vector<Crossing> out;
  for (long j = margin; j + 1 < static_cast<long>(left.size()) - margin; ++j) {
    const bool before = left[j] >= 0;
    const bool after = left[j + 1] >= 0;
    if (before == after) continue;
    const double guess = j + static_cast<double>(left[j]) / (left[j] - left[j + 1]);
    double at = 0;
    if (Refine(left, taps, j, after, guess, at)) out.push_back({at, after});
  }
  return out;
}

EdgeErrors CompareEdges(const std::vector<Crossing>& found, const std::vector<Crossing>& ideal, double window) {
  EdgeErrors result;
  std::vector<std::pair<double, double>> pairs;  // (ideal, error)
  size_t next = 0;
  for (const Crossing& edge : ideal) {
    while (next < found.size() && found[next].at < edge.at - window) ++next;
    size_t best = found.size();
    for (size_t k = next; k < found.size() && found[k].at <= edge.at + window; ++k)
      if (found[k].rising == edge.rising &&
          (best == found.size() || std::abs(found[k].at - edge.at) < std::abs(found[best].at - edge.at)))
        best = k;
    if (best == found.size()) {
      ++result.missed;
      continue;
    }
    pairs.emplace_back(edge.at, found[best].at - edge.at);
  }
  result.edges = ideal.size();
  size_t inRange = 0;
  for (const Crossing& c : found)
    if (!ideal.empty() && c.at >= ideal.front().at - window && c.at <= ideal.back().at + window) ++inRange;
  result.extra = inRange > pairs.size() ? inRange - pairs.size() : 0;
  if (pairs.empty()) return result;
  double meanT = 0, meanE = 0;
  for (const auto& [t, e] : pairs) meanT += t, meanE += e;
  meanT /= pairs.size();
  meanE /= pairs.size();
  double stt = 0, ste = 0;
  for (const auto& [t, e] : pairs) stt += (t - meanT) * (t - meanT), ste += (t - meanT) * (e - meanE);
  result.slope = stt > 0 ? ste / stt : 0;
  double sum2 = 0;
  for (const auto& [t, e] : pairs) {
    const double d = e - meanE;
    sum2 += d * d;
    result.max = std::max(result.max, std::abs(d));
  }
  result.rms = std::sqrt(sum2 / pairs.size());
  return result;
}

}  // namespace vm::bench
