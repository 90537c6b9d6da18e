#include "pattern/picture_svg.h"

namespace vm {
namespace {

// "#rrggbb" of the ink's colour in the one table the window draws with too.
std::string Colour(PictureInk ink) {
  static constexpr char kDigits[] = "0123456789abcdef";
  const uint32_t rgb = PictureInkRgb(ink);
  std::string out = "#";
  for (int shift = 20; shift >= 0; shift -= 4) out += kDigits[(rgb >> shift) & 0xfu];
  return out;
}

const char* Anchor(TextAnchor anchor) {
  switch (anchor) {
    case TextAnchor::Start: return "start";
    case TextAnchor::Middle: return "middle";
    case TextAnchor::End: return "end";
  }
  return "start";
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string N(int32_t value) { return std::to_string(value); }

}  // namespace

std::string PictureSvg(const Picture& picture) {
  // The primitives' units are tenths of a pixel: the view box scales them back.
  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + N(picture.width / kPictureUnitsPerPixel) +
                    "\" height=\"" + N(picture.height / kPictureUnitsPerPixel) + "\" viewBox=\"0 0 " +
                    N(picture.width) + " " + N(picture.height) + "\">\n";
  svg += "<rect width=\"" + N(picture.width) + "\" height=\"" + N(picture.height) + "\" fill=\"#ffffff\"/>\n";
  for (const PictureRect& r : picture.rects) {
    svg += "<rect x=\"" + N(r.x) + "\" y=\"" + N(r.y) + "\" width=\"" + N(r.width) + "\" height=\"" + N(r.height) +
           "\" fill=\"" + Colour(r.ink) + "\"/>\n";
  }
  for (const PictureLine& l : picture.lines) {
    svg += "<line x1=\"" + N(l.x1) + "\" y1=\"" + N(l.y1) + "\" x2=\"" + N(l.x2) + "\" y2=\"" + N(l.y2) +
           "\" stroke=\"" + Colour(l.ink) + "\" stroke-width=\"" + N(kPictureUnitsPerPixel) + "\"/>\n";
  }
  for (const PictureText& t : picture.texts) {
    svg += "<text x=\"" + N(t.x) + "\" y=\"" + N(t.y) + "\" font-family=\"sans-serif\" font-size=\"" + N(t.size) +
           "\" text-anchor=\"" + Anchor(t.anchor) + "\" fill=\"" + Colour(t.ink) + "\">" + Escaped(t.text) +
           "</text>\n";
  }
  return svg + "</svg>\n";
}

}  // namespace vm
