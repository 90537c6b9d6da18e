#pragma once
// A picture as plain drawing primitives, for anything the program draws the same way on
// screen and into a file: the toolkit paints them, the SVG writer writes them, and neither
// decides on its own what a shape or an ink looks like.
//
// Coordinates are whole tenths of a pixel (kPictureUnitsPerPixel units a pixel) of a picture
// `width` by `height` units, so that fine detail stays apart and every number is an integer.

#include <cstdint>
#include <string>
#include <vector>

namespace vm {

inline constexpr int32_t kPictureUnitsPerPixel = 10;

enum class PictureInk { Frame, Scale, Track, Label };
enum class TextAnchor { Start, Middle, End };

// Each ink's colour as 0xRRGGBB on a white ground, the one table every drawing uses.
constexpr uint32_t PictureInkRgb(PictureInk ink) {
  switch (ink) {
    case PictureInk::Frame: return 0x888888;
    case PictureInk::Scale: return 0x444444;
    case PictureInk::Track: return 0x1f5fa8;
    case PictureInk::Label: return 0x000000;
  }
  return 0x000000;
}
inline constexpr uint32_t kPictureGroundRgb = 0xffffff;
// The position mark a live view draws over a picture: a line the picture's full height.
inline constexpr uint32_t kPictureMarkerRgb = 0xd02020;

struct PictureLine {
  int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // one pixel wide
  PictureInk ink = PictureInk::Frame;
  bool operator==(const PictureLine&) const = default;
};

struct PictureRect {
  int32_t x = 0, y = 0, width = 0, height = 0;  // filled
  PictureInk ink = PictureInk::Track;
  bool operator==(const PictureRect&) const = default;
};

struct PictureText {
  int32_t x = 0, y = 0;  // the baseline's anchor point
  int32_t size = 0;      // the font's height, in the same units; a sans-serif font
  TextAnchor anchor = TextAnchor::Start;
  std::string text;  // UTF-8
  PictureInk ink = PictureInk::Label;
  bool operator==(const PictureText&) const = default;
};

// Drawn in this order: rectangles, then lines, then texts.
struct Picture {
  int32_t width = 0, height = 0;  // in the units of the primitives
  std::vector<PictureRect> rects;
  std::vector<PictureLine> lines;
  std::vector<PictureText> texts;
};

}  // namespace vm
