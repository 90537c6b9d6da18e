#pragma once
// Text to number and number to text, as used wherever a control, a table row or a file
// holds a number.

#include <cstdint>
#include <string>
#include <string_view>

namespace vm {

// Skips leading blanks and tabs, takes an optional sign, then "$" and hexadecimal digits,
// "%" and binary digits, or decimal digits, up to the first character that does not fit.
// No digits gives 0. Overflow wraps modulo 2^64.
int64_t ParseInteger(std::string_view text);

// The low 32 bits of ParseInteger as a signed value, for callers that store 32 bits.
int32_t ParseInteger32(std::string_view text);

// The low 32 bits of a 64-bit value as a signed value; wraps by definition.
int32_t LowBits32(int64_t value);

// Plain decimal digits, a leading "-" when negative, no separators or padding.
std::string FormatDecimal(int64_t value);

}  // namespace vm
