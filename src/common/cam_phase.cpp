#include "common/cam_phase.h"

#include <algorithm>

namespace vm {

bool ParseCamPhase(std::string_view text, int32_t& tenths) {
  const bool negative = !text.empty() && text.front() == '-';
  if (!text.empty() && (negative || text.front() == '+')) text.remove_prefix(1);
  const size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  const auto digits = [](std::string_view part) {
    return std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  // Steps of 0.1: any further decimals are zeros. At most three whole digits keeps it small.
  if (whole.empty() || whole.size() > 3 || !digits(whole) || !digits(fraction) ||
      (point != std::string_view::npos && fraction.empty()) ||
      fraction.find_first_not_of('0', 1) != std::string_view::npos)
    return false;
  int32_t value = 0;
  for (const char c : whole) value = 10 * value + (c - '0');
  value = 10 * value + (fraction.empty() ? 0 : fraction[0] - '0');
  if (value > kMaxCamPhaseTenths) return false;
  tenths = negative ? -value : value;
  return true;
}

std::string FormatCamPhase(int32_t tenths) {
  const int32_t held = std::clamp(tenths, -kMaxCamPhaseTenths, kMaxCamPhaseTenths);
  const int32_t magnitude = held < 0 ? -held : held;
  const char* sign = held < 0 ? "-" : held > 0 ? "+" : "";
  return sign + std::to_string(magnitude / 10) + "." + std::to_string(magnitude % 10);
}

}  // namespace vm
