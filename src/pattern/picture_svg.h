#pragma once
// A Picture as an SVG document, its numbers written as plain integers (no locale).

#include <string>

#include "pattern/pattern_picture.h"

namespace vm {

std::string PictureSvg(const Picture& picture);

}  // namespace vm
