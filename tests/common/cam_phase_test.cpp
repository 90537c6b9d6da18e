// The cam phase as a user types it and as a file and the window show it: degrees from -90 to
// 90 in steps of 0.1, the same text under every locale.

#include "common/cam_phase.h"

#include <cstdint>

#include <gtest/gtest.h>

#include "support/comma_locale.h"

namespace vm {
namespace {

struct Typed {
  const char* text;
  bool ok;
  int32_t tenths;  // when ok
};

// clang-format off
const Typed kTyped[] = {
  {"0", true, 0},         {"-0", true, 0},        {"+0.0", true, 0},      {"90", true, 900},
  {"-90", true, -900},    {"+90.0", true, 900},   {"90.000", true, 900},  {"-89.9", true, -899},
  {"0.1", true, 1},       {"-0.1", true, -1},     {"12.50", true, 125},   {"090", true, 900},
  {"90.1", false, 0},     {"-90.1", false, 0},    {"91", false, 0},       {"999", false, 0},
  {"0090", false, 0},     {"12.05", false, 0},    {"0.01", false, 0},     {"12,5", false, 0},
  {"", false, 0},         {"-", false, 0},        {"+", false, 0},        {".5", false, 0},
  {"5.", false, 0},       {"+-5", false, 0},      {"--5", false, 0},      {" 5", false, 0},
  {"5 ", false, 0},       {"1e1", false, 0},      {"1.2.0", false, 0},    {"\xD9\xA5", false, 0},
};
// clang-format on

TEST(CamPhase, ReadsDegreesInStepsOfATenthAndNothingElse) {
  for (const Typed& c : kTyped) {
    int32_t tenths = 12345;  // untouched by a refusal
    EXPECT_EQ(ParseCamPhase(c.text, tenths), c.ok) << c.text;
    EXPECT_EQ(tenths, c.ok ? c.tenths : 12345) << c.text;
  }
}

TEST(CamPhase, WritesOneDecimalWithASignAndHoldsToTheRange) {
  // clang-format off
  const struct { int32_t tenths; const char* text; } cases[] = {
    {0, "0.0"}, {1, "+0.1"}, {-1, "-0.1"}, {-5, "-0.5"}, {125, "+12.5"}, {900, "+90.0"}, {-900, "-90.0"},
    {901, "+90.0"}, {-901, "-90.0"}, {INT32_MAX, "+90.0"}, {INT32_MIN, "-90.0"},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(FormatCamPhase(c.tenths), c.text) << c.tenths;
}

// What is written reads back as the same phase, also where the locale's decimal point is a
// comma: a settings file from one machine means the same on the next.
TEST(CamPhase, EveryStepRoundTripsUnderACommaLocale) {
  test::ScopedCommaLocale comma;
  if (!comma.active()) GTEST_SKIP() << "no locale with a decimal comma here";
  for (int32_t tenths = -kMaxCamPhaseTenths; tenths <= kMaxCamPhaseTenths; ++tenths) {
    const std::string text = FormatCamPhase(tenths);
    int32_t read = 12345;
    ASSERT_TRUE(ParseCamPhase(text, read)) << text;
    ASSERT_EQ(read, tenths) << text;
  }
}

}  // namespace
}  // namespace vm
