// Feeds any bytes to the pattern reader. A pattern it accepts must keep every promise of its
// tracks (sorted stretches inside the cycle, a low between any two, edges alternating); a
// refusal must name a place in the text. An accepted pattern is also drawn.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "pattern/pattern_picture.h"
#include "pattern/pattern_reader.h"
#include "pattern/picture_svg.h"

namespace {

void CheckTrack(const vm::PatternTrack& track, int32_t cycle) {
  if (track.highs.empty()) std::abort();
  for (size_t i = 0; i < track.highs.size(); ++i) {
    const vm::HighStretch& high = track.highs[i];
    if (high.rise < 0 || high.rise >= cycle || high.fall <= high.rise || high.fall >= high.rise + cycle) std::abort();
    const bool last = i + 1 == track.highs.size();
    const int64_t nextRise = last ? int64_t{track.highs.front().rise} + cycle : track.highs[i + 1].rise;
    if (high.fall >= nextRise) std::abort();
  }
  const auto edges = vm::TrackEdges(track, cycle);
  for (size_t i = 0; i < edges.size(); ++i) {
    if (edges[i].rising == edges[(i + 1) % edges.size()].rising) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const vm::PatternReading reading = vm::ReadPattern(text);
  if (!reading.ok) {
    if (reading.error.line < 1 || reading.error.column < 1 || reading.error.expected.empty()) std::abort();
    return 0;
  }
  const vm::Pattern& pattern = reading.pattern;
  if (pattern.cycle != vm::kRevolutionCentidegrees && pattern.cycle != vm::kEngineCycleCentidegrees) std::abort();
  if (!vm::IsPatternName(pattern.name) || pattern.description.empty()) std::abort();
  CheckTrack(pattern.crank, pattern.cycle);
  if (pattern.hasCam) CheckTrack(pattern.cam, pattern.cycle);
  // Whatever reads can be drawn.
  if (vm::PictureSvg(vm::DrawPattern(pattern)).empty()) std::abort();
  return 0;
}
