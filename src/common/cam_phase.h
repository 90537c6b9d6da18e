#pragma once
// The cam phase as a user writes and reads it: crankshaft degrees from -90 to 90 in steps
// of 0.1, the same text under every locale; held as tenths of a degree.

#include <cstdint>
#include <string>
#include <string_view>

namespace vm {

inline constexpr int32_t kMaxCamPhaseTenths = 900;

// "-40", "12.5", "+7.0": an optional sign, at most three whole digits, and decimals of
// which only the first may be other than 0. False for anything else or beyond ±90.
bool ParseCamPhase(std::string_view text, int32_t& tenths);

// "+20.0", "-0.5", "0.0": one decimal, a sign unless 0.
std::string FormatCamPhase(int32_t tenths);

}  // namespace vm
