#include "common/parse_integer.h"

#include <gtest/gtest.h>

#include <limits>

namespace vm {
namespace {

struct Case {
  const char* text;
  int64_t value;
};

TEST(ParseInteger, ReadsEveryNotation) {
  // clang-format off
  const Case cases[] = {
      {"1234", 1234},     {"  \t42", 42},       {"-17", -17},      {"+17", 17},
      {"$1388", 5000},    {"$ff", 255},         {"$FF", 255},      {"%101", 5},
      {"-$10", -16},      {"12abc|1000", 12},   {"3001", 3001},    {"0500", 500},
      {"%102", 2},        {"$1g", 1},           {"1 000", 1},      {"5000 ", 5000},
  };
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(ParseInteger(c.text), c.value) << c.text;
}

TEST(ParseInteger, NoDigitsGiveZero) {
  for (const char* text : {"", "abc", "-", "+", "$", "%", " $x", "\n5", "- 5", "--5"})
    EXPECT_EQ(ParseInteger(text), 0) << text;
}

TEST(ParseInteger, OverflowWrapsSilently) {
  EXPECT_EQ(ParseInteger("9223372036854775807"), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(ParseInteger("9223372036854775808"), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(ParseInteger("18446744073709551617"), 1);
  EXPECT_EQ(ParseInteger("-9223372036854775808"), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(ParseInteger("$FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(ParseInteger("99999999999999999999999999999"), int64_t{7886392056514347007});
}

TEST(ParseInteger, ThirtyTwoBitCallersKeepTheLowBits) {
  EXPECT_EQ(ParseInteger32("3000000000"), -1294967296);
  EXPECT_EQ(ParseInteger32("4294967296"), 0);
  EXPECT_EQ(ParseInteger32("2147483648"), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(ParseInteger32("-1"), -1);
  EXPECT_EQ(LowBits32(int64_t{1} << 40 | 7), 7);
}

TEST(FormatDecimal, PlainDigits) {
  EXPECT_EQ(FormatDecimal(0), "0");
  EXPECT_EQ(FormatDecimal(10000), "10000");
  EXPECT_EQ(FormatDecimal(-250), "-250");
  EXPECT_EQ(FormatDecimal(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
}

}  // namespace
}  // namespace vm
