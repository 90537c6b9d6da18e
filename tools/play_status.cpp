#include "play_status.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vm::play {
namespace {

constexpr int kBarWidth = 20;

std::string Elapsed(double seconds) {
  const auto tenths = static_cast<uint64_t>(std::max(seconds, 0.0) * 10.0);
  const uint64_t minutes = tenths / 600;
  char text[48];
  std::snprintf(text, sizeof text, "%llu:%02llu.%llu", static_cast<unsigned long long>(minutes),
                static_cast<unsigned long long>(tenths / 10 % 60), static_cast<unsigned long long>(tenths % 10));
  return text;
}

std::string Bar(double progress) {
  const double share = std::clamp(progress, 0.0, 1.0);
  const auto filled = static_cast<int>(std::floor(share * kBarWidth));
  char percent[8];
  std::snprintf(percent, sizeof percent, "%3d%%", static_cast<int>(std::floor(share * 100.0)));
  const std::string done(static_cast<size_t>(filled), '#');
  const std::string left(static_cast<size_t>(kBarWidth - filled), '.');
  return "  [" + done + left + "] " + percent;
}

}  // namespace

std::string StatusLine(const StatusFigures& figures) {
  const std::string rpm = figures.rpm > 0 ? std::to_string(figures.rpm) : "-";
  std::string line = rpm + " rpm  " + std::to_string(figures.revolutions) + " rev  " + Elapsed(figures.seconds);
  if (figures.progress >= 0) line += Bar(figures.progress);
  return line;
}

}  // namespace vm::play
