#pragma once
// A pattern's picture as plain drawing primitives: both tracks over one cycle, a degree scale
// and the crank teeth numbered from the gap, the picture a user compares with the drawing in
// a service manual. No toolkit: a dialog, a live view and an SVG file all draw from these.
//
// Coordinates are whole tenths of a pixel of a picture kPictureWidth by `height` pixels, so
// that edges 0.01° apart stay apart and every number is an integer.

#include <cstdint>
#include <string>
#include <vector>

#include "pattern/pattern.h"

namespace vm {

inline constexpr int32_t kPictureUnitsPerPixel = 10;
inline constexpr int32_t kPictureWidth = 1200;  // pixels

enum class PictureInk { Frame, Scale, Track, Label };
enum class TextAnchor { Start, Middle, End };

struct PictureLine {
  int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  PictureInk ink = PictureInk::Frame;
  bool operator==(const PictureLine&) const = default;
};

struct PictureRect {
  int32_t x = 0, y = 0, width = 0, height = 0;
  PictureInk ink = PictureInk::Track;
  bool operator==(const PictureRect&) const = default;
};

struct PictureText {
  int32_t x = 0, y = 0;  // the baseline's anchor point
  int32_t size = 0;      // the font's height, in the same units
  TextAnchor anchor = TextAnchor::Start;
  std::string text;
  PictureInk ink = PictureInk::Label;
  bool operator==(const PictureText&) const = default;
};

struct Picture {
  int32_t width = 0, height = 0;  // in the units of the primitives
  std::vector<PictureRect> rects;
  std::vector<PictureLine> lines;
  std::vector<PictureText> texts;
};

// The picture of one cycle of `pattern`.
Picture DrawPattern(const Pattern& pattern);

// The index in track.highs of the tooth numbered 1: the first after the longest low (the
// gap); the first tooth of the cycle when every low is as long as the others.
size_t FirstToothAfterGap(const PatternTrack& track, int32_t cycle);

}  // namespace vm
