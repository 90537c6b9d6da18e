#include "pattern/pattern_picture.h"

#include <algorithm>

namespace vm {
namespace {

constexpr int32_t kUnit = kPictureUnitsPerPixel;
constexpr int32_t kLeft = 70 * kUnit;  // room for the track names
constexpr int32_t kRight = 20 * kUnit;
constexpr int32_t kTitleHeight = 40 * kUnit;
constexpr int32_t kTrackHeight = 40 * kUnit;   // a high's height
constexpr int32_t kNumberHeight = 16 * kUnit;  // the tooth numbers above the crank track
constexpr int32_t kTrackGap = 24 * kUnit;
constexpr int32_t kScaleHeight = 40 * kUnit;
constexpr int32_t kFontSize = 12 * kUnit;
constexpr size_t kMaxNumberedTeeth = 72;  // beyond, every tenth tooth is numbered

struct Layout {
  int32_t cycle;
  int32_t plotWidth;
  int32_t X(int64_t angle) const { return kLeft + static_cast<int32_t>((angle * plotWidth + cycle / 2) / cycle); }
};

// One track: its base line and a rectangle per high, split where it wraps through 0°.
void DrawTrack(const PatternTrack& track, const Layout& layout, int32_t base, const std::string& name,
               Picture& picture) {
  picture.texts.push_back({kLeft - 10 * kUnit, base - kTrackHeight / 2 + kFontSize / 3, kFontSize, TextAnchor::End,
                           name, PictureInk::Label});
  picture.lines.push_back({layout.X(0), base, layout.X(layout.cycle), base, PictureInk::Track});
  for (const HighStretch& high : track.highs) {
    const int64_t end = std::min<int64_t>(high.fall, layout.cycle);
    picture.rects.push_back({layout.X(high.rise), base - kTrackHeight, layout.X(end) - layout.X(high.rise),
                             kTrackHeight, PictureInk::Track});
    if (high.fall > layout.cycle) {
      const int64_t wrapped = high.fall - layout.cycle;
      picture.rects.push_back(
          {layout.X(0), base - kTrackHeight, layout.X(wrapped) - layout.X(0), kTrackHeight, PictureInk::Track});
    }
  }
}

void NumberTeeth(const PatternTrack& track, const Layout& layout, int32_t top, Picture& picture) {
  const size_t count = track.highs.size();
  const size_t first = FirstToothAfterGap(track, layout.cycle);
  for (size_t n = 0; n < count; ++n) {
    const size_t number = n + 1;
    if (count > kMaxNumberedTeeth && number != 1 && number % 10 != 0) continue;
    const HighStretch& tooth = track.highs[(first + n) % count];
    const int64_t middle = (int64_t{tooth.rise} + tooth.fall) / 2 % layout.cycle;
    picture.texts.push_back(
        {layout.X(middle), top - 4 * kUnit, kFontSize * 3 / 4, TextAnchor::Middle, std::to_string(number)});
  }
}

void DrawScale(const Layout& layout, int32_t top, Picture& picture) {
  const int32_t degrees = layout.cycle / kCentidegreesPerDegree;
  const int32_t labelStep = degrees == 360 ? 30 : 60;
  picture.lines.push_back({layout.X(0), top, layout.X(layout.cycle), top, PictureInk::Scale});
  for (int32_t degree = 0; degree <= degrees; degree += 10) {
    const int32_t x = layout.X(int64_t{degree} * kCentidegreesPerDegree);
    const bool labelled = degree % labelStep == 0;
    picture.lines.push_back({x, top, x, top + (labelled ? 8 : 4) * kUnit, PictureInk::Scale});
    if (labelled) {
      picture.texts.push_back({x, top + 8 * kUnit + kFontSize, kFontSize, TextAnchor::Middle,
                               std::to_string(degree) + "\xC2\xB0", PictureInk::Scale});
    }
  }
}

}  // namespace

size_t FirstToothAfterGap(const PatternTrack& track, int32_t cycle) {
  size_t first = 0;
  int64_t longest = -1;
  int64_t shortest = -1;
  const size_t count = track.highs.size();
  // The low that wraps through 0° first, so that of equal gaps the one ending at the cycle's
  // start numbers the teeth.
  for (size_t k = 0; k < count; ++k) {
    const size_t i = (k + count - 1) % count;
    const size_t next = (i + 1) % count;
    const int64_t low = track.highs[next].rise + (next == 0 ? int64_t{cycle} : 0) - track.highs[i].fall;
    if (low > longest) {
      longest = low;
      first = next;
    }
    if (shortest < 0 || low < shortest) shortest = low;
  }
  return longest == shortest ? 0 : first;
}

int32_t PatternPictureX(int32_t cycle, int64_t angle) {
  return Layout{std::max(cycle, 1), kPictureWidth * kUnit - kLeft - kRight}.X(angle);
}

Picture DrawPattern(const Pattern& pattern) {
  Picture picture;
  const Layout layout{pattern.cycle, kPictureWidth * kUnit - kLeft - kRight};
  picture.width = kPictureWidth * kUnit;
  picture.texts.push_back({kLeft, kTitleHeight - 14 * kUnit, kFontSize * 4 / 3, TextAnchor::Start,
                           pattern.name + "  " + pattern.description, PictureInk::Label});
  int32_t top = kTitleHeight + kNumberHeight;
  NumberTeeth(pattern.crank, layout, top, picture);
  DrawTrack(pattern.crank, layout, top + kTrackHeight, "crank", picture);
  top += kTrackHeight + kTrackGap;
  if (pattern.hasCam) {
    DrawTrack(pattern.cam, layout, top + kTrackHeight, "cam", picture);
    top += kTrackHeight + kTrackGap;
  }
  // The end of the first revolution, where a 720° cycle's second begins.
  if (pattern.cycle == kEngineCycleCentidegrees) {
    const int32_t x = layout.X(kRevolutionCentidegrees);
    picture.lines.push_back({x, kTitleHeight, x, top, PictureInk::Frame});
  }
  DrawScale(layout, top, picture);
  picture.height = top + kScaleHeight;
  return picture;
}

}  // namespace vm
