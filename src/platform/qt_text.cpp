#include "platform/qt_text.h"

namespace vm::qtk {

std::string FromQt(const QString& text) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()));
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i].unicode();
    // A character beyond 16 bits is two units: still one "?".
    if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
    out.push_back(unit <= 0xFF ? static_cast<char>(unit) : '?');
  }
  return out;
}

}  // namespace vm::qtk
