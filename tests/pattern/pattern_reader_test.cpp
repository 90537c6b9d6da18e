// The pattern-file reader: the forms it accepts and what it says about the ones it refuses.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "pattern/pattern_reader.h"
#include "pattern_description.h"
#include "support/comma_locale.h"

namespace vm {
namespace {

using test::DescribeTrack;

std::string Header(int cycle) { return "name t\ndescription d\ncycle " + std::to_string(cycle) + "\n"; }

struct Accepted {
  int cycle;
  std::string tracks;  // after the header's three lines
  std::string crank;
  std::string cam;  // empty: no cam track
};

// clang-format off
const Accepted kAccepted[] = {
  {360, "crank teeth 4",                                 "0-45 90-135 180-225 270-315", ""},
  {360, "crank teeth 4 missing 4 duty 25 offset 10",     "10-32.5 100-122.5 190-212.5", ""},
  {360, "crank teeth 6 missing 1, 3-4",                  "60-90 240-270 300-330", ""},
  {360, "crank teeth 6 offset 59.99 missing 2-6",        "59.99-89.99", ""},
  {360, "crank teeth 2 offset 300",                      "120-210 300-30", ""},
  {360, "crank teeth 7 duty 10 missing 2-7",             "0-5.14", ""},
  {360, "crank high 350.5 to 10.25, 100 to 200",         "100-200 350.5-10.25", ""},
  {360, "crank high 0.01 to 0.02, 100 to 360,",          "0.01-0.02 100-0", ""},
  {360, "crank teeth 3 missing 3\ncrank high 300 to 301", "0-60 120-180 300-301", ""},
  {720, "crank teeth 2",                                 "0-90 180-270 360-450 540-630", ""},
  {720, "crank teeth 2 revolution 2 duty 10",            "360-378 540-558", ""},
  {720, "crank teeth 1\ncam teeth 4 missing 2-4",        "0-180 360-540", "0-90"},
  {720, "crank high 0 to 1\ncam high 719.99 to 720",     "0-1", "719.99-0"},
  {360, "crank\tteeth 1   # a comment, 1 to 2\n\n   # indented comment\n", "0-180", ""},
  // Limits: the thinnest and widest duty, overlapping runs, the last offset of each turn.
  {360, "crank teeth 1 duty 0.01",                       "0-0.04", ""},
  {360, "crank teeth 1 duty 99.99",                      "0-359.96", ""},
  {360, "crank teeth 6 missing 1-2, 2-3",                "180-210 240-270 300-330", ""},
  {360, "crank teeth 4 missing 2,3",                     "0-45 270-315", ""},
  {360, "crank high 10 to 20,30 to 40",                  "10-20 30-40", ""},
  {720, "crank teeth 1 revolution 1 offset 359.99",      "359.99-539.99", ""},
  {720, "crank teeth 1\ncam teeth 1 offset 719.99",      "0-180 360-540", "719.99-359.99"},
};
// clang-format on

TEST(PatternReader, AcceptsTheWrittenForms) {
  for (const Accepted& c : kAccepted) {
    SCOPED_TRACE(c.tracks);
    const PatternReading reading = ReadPattern(Header(c.cycle) + c.tracks);
    ASSERT_TRUE(reading.ok) << PatternErrorText(reading.error);
    EXPECT_EQ(reading.pattern.cycle, c.cycle * 100);
    EXPECT_EQ(DescribeTrack(reading.pattern.crank, reading.pattern.cycle), c.crank);
    EXPECT_EQ(reading.pattern.hasCam, !c.cam.empty());
    EXPECT_EQ(DescribeTrack(reading.pattern.cam, reading.pattern.cycle), c.cam);
  }
}

TEST(PatternReader, ReadsTheFieldsWithWhatFollowsAsText) {
  const PatternReading reading = ReadPattern(
      "\xEF\xBB\xBF# first line\r\nname  60-2_b+.x \r\ndescription A 60-2 wheel # not a comment\r\n"
      "source Manual, p. 12\nsource Second\nfits Engine A\ncycle 360\ncrank teeth 1\n");
  ASSERT_TRUE(reading.ok) << PatternErrorText(reading.error);
  EXPECT_EQ(reading.pattern.name, "60-2_b+.x");
  EXPECT_EQ(reading.pattern.description, "A 60-2 wheel # not a comment");
  EXPECT_EQ(reading.pattern.sources, (std::vector<std::string>{"Manual, p. 12", "Second"}));
  EXPECT_EQ(reading.pattern.fits, (std::vector<std::string>{"Engine A"}));
}

struct Refused {
  std::string text;
  int line;
  int column;
  std::string expected;
};

const std::string kHead = Header(360);  // three lines: tracks start on line 4

// clang-format off
const Refused kRefused[] = {
  {"",                                         1, 1,  "a name line"},
  {"nme x",                                    1, 1,  "name, description, cycle, source, fits, crank or cam"},
  {"name a b",                                 1, 6,  "a name of 1 to 64 letters, digits and - _ . + (no blanks)"},
  {"name .hidden",                             1, 6,  "a name of 1 to 64 letters, digits and - _ . + (no blanks)"},
  {"name a\n  name b",                         2, 3,  "one name line (line 1)"},
  {"description",                              1, 12, "a text after description"},
  {"name a\ncycle 540",                        2, 7,  "360 or 720"},
  {"name a\ncycle 360 360",                    2, 11, "the end of the line"},
  {"name a\ncycle 360\ncycle 720",             3, 7,  "one cycle line (line 2)"},
  {"name a\ndescription d\ncrank teeth 4",     3, 7,  "a cycle line (cycle 360 or cycle 720) before the tracks"},
  {"name a\ncycle 360\ncrank teeth 1",         4, 1,  "a description line"},
  {kHead + "cam teeth 1",                      5, 1,  "a crank track (crank teeth or crank high)"},
  {kHead + "crank tooth 4",                    4, 7,  "teeth or high"},
  {kHead + "crank teeth",                      4, 12, "a number of tooth positions from 1 to 3600"},
  {kHead + "crank teeth 0",                    4, 13, "a number of tooth positions from 1 to 3600"},
  {kHead + "crank teeth 3601",                 4, 13, "a number of tooth positions from 1 to 3600"},
  {kHead + "crank teeth 4.0",                  4, 13, "a number of tooth positions from 1 to 3600"},
  {kHead + "crank teeth 4 missing 5",          4, 23, "a position or a run FIRST-LAST of positions from 1 to 4"},
  {kHead + "crank teeth 4 missing 3-2",        4, 23, "a position or a run FIRST-LAST of positions from 1 to 4"},
  {kHead + "crank teeth 4 missing 1- duty 5",  4, 23, "a position or a run FIRST-LAST of positions from 1 to 4"},
  {kHead + "crank teeth 4 duty 100",           4, 20, "a duty in per cent above 0 and below 100, at most two decimals"},
  {kHead + "crank teeth 4 duty 0",             4, 20, "a duty in per cent above 0 and below 100, at most two decimals"},
  {kHead + "crank teeth 4 duty 5 duty 5",      4, 22, "missing, duty, offset, revolution or the end of the line (each once)"},
  {kHead + "crank teeth 4 offset 360",         4, 22, "an angle from 0 to below 360, at most two decimals"},
  {kHead + "crank teeth 4 offset -1",          4, 22, "an angle from 0 to below 360, at most two decimals"},
  {kHead + "crank teeth 4 revolution 1",       4, 26, "no revolution: only the crank of a 720 cycle has two"},
  {Header(720) + "crank teeth 4 revolution 3", 4, 26, "1 or 2"},
  {Header(720) + "cam teeth 4 revolution 1",   4, 24, "no revolution: only the crank of a 720 cycle has two"},
  {kHead + "crank teeth 3600 duty 1",          4, 13, "teeth and gaps of at least 0.01° at this duty"},
  {kHead + "crank teeth 3600 duty 99.99",      4, 13, "teeth and gaps of at least 0.01° at this duty"},
  {kHead + "crank high 10.123 to 20",          4, 12, "an angle from 0 to below 360, at most two decimals"},
  {kHead + "crank high 10. to 20",             4, 12, "an angle from 0 to below 360, at most two decimals"},
  {kHead + "crank high 1,5 to 20",             4, 13, "to"},
  {kHead + "crank high 10 to",                 4, 17, "an angle from 0 to 360, at most two decimals"},
  {kHead + "crank high 10 to 360.01",          4, 18, "an angle from 0 to 360, at most two decimals"},
  {kHead + "crank high 10 to 10",              4, 18, "an end other than the start"},
  {kHead + "crank high 10 to 20 30 to 40",     4, 21, "a comma or the end of the line"},
  {kHead + "crank high 10 to 20, 30 to 40 x",  4, 31, "a comma or the end of the line"},
  {kHead + "crank high 0 to 360",              4, 12, "a low somewhere in the cycle"},
  {kHead + "crank high 0 to 20, 10 to 30",     4, 21, "a low between the high 10 to 30 and the high 0 to 20 (line 4)"},
  {kHead + "crank high 20 to 30\ncrank high 0 to 20", 5, 12, "a low between the high 0 to 20 and the high 20 to 30 (line 4)"},
  {kHead + "crank high 350 to 10, 10 to 20",   4, 23, "a low between the high 10 to 20 and the high 350 to 10 (line 4)"},
  {kHead + "crank teeth 4\ncrank high 95 to 100", 5, 12, "a low between the high 95 to 100 and the high 90 to 135 (line 4)"},
  {"description \xC2\xB0\x01",                 1, 14, "text without control characters"},
  {"name a\rdescription d",                    1, 7,  "text without control characters"},
  {"source",                                   1, 7,  "a text after source"},
  {"fits  \t",                                 1, 8,  "a text after fits"},
  {"name " + std::string(65, 'a'),             1, 6,  "a name of 1 to 64 letters, digits and - _ . + (no blanks)"},
  {"description " + std::string(301, 'd'),     1, 13, "a text of at most 300 bytes"},
  {"\xEF\xBB\xBFname a b",                      1, 6,  "a name of 1 to 64 letters, digits and - _ . + (no blanks)"},
  {"name a\r\ncycle 36\r\n",                    2, 7,  "360 or 720"},
  {kHead + "crank teeth # 4",                  4, 12, "a number of tooth positions from 1 to 3600"},
  {kHead + "crank teeth 4 missing",            4, 22, "a position or a run FIRST-LAST of positions from 1 to 4"},
  {kHead + "crank teeth 4 missing 0",          4, 23, "a position or a run FIRST-LAST of positions from 1 to 4"},
  {kHead + "crank teeth 4 duty 99.999",        4, 20, "a duty in per cent above 0 and below 100, at most two decimals"},
  {kHead + "crank teeth 4 offset 359.999",     4, 22, "an angle from 0 to below 360, at most two decimals"},
  {Header(720) + "crank teeth 4 offset 360",   4, 22, "an angle from 0 to below 360, at most two decimals"},
  {Header(720) + "crank teeth 1\ncam teeth 1 offset 720", 5, 20, "an angle from 0 to below 720, at most two decimals"},
  {Header(720) + "crank teeth 4 revolution 1 revolution 2", 4, 28,
   "missing, duty, offset, revolution or the end of the line (each once)"},
  {kHead + "crank high 10 to 20,, 30 to 40",   4, 21, "an angle from 0 to below 360, at most two decimals"},
  {kHead + "crank high 355 to 5\ncrank high 0 to 1", 5, 12, "a low between the high 0 to 1 and the high 355 to 5 (line 4)"},
  {Header(720) + "crank teeth 1\ncam high 700 to 20, 10 to 30", 5, 21,
   "a low between the high 10 to 30 and the high 700 to 20 (line 5)"},
  {kHead + "crank teeth 4 missing 1-4",        4, 13, "a tooth position that is not missing"},
  {Header(720) + "crank teeth 1\ncam teeth 2 missing 2, 1-2", 5, 11, "a tooth position that is not missing"},
  {std::string(1001, '#'),                     1, 1001, "a line of at most 1000 bytes"},
  {std::string(64 * 1024 + 1, '\n'),           1, 1,  "a file of at most 65536 bytes"},
};
// clang-format on

TEST(PatternReader, RefusesWithLineColumnAndWhatWasExpected) {
  for (const Refused& c : kRefused) {
    SCOPED_TRACE(c.text.substr(0, 80));
    const PatternReading reading = ReadPattern(c.text);
    ASSERT_FALSE(reading.ok);
    EXPECT_EQ(PatternErrorText(reading.error),
              "line " + std::to_string(c.line) + ", column " + std::to_string(c.column) + ": expected " + c.expected);
  }
}

// The numbers of a pattern file: digits, at most as many decimals as the field has, never the
// locale's decimal comma, and a limit checked without overflow however long the digits run.
TEST(PatternReader, NumbersAreReadAndWrittenWithAPointUnderAnyLocale) {
  test::ScopedCommaLocale comma;
  // clang-format off
  const struct { const char* word; int decimals; int64_t limit; std::optional<int64_t> units; } words[] = {
    {"12.5", 2, 36000, 1250},   {"12.34", 2, 36000, 1234}, {"0.01", 2, 36000, 1},     {"360", 2, 36000, 36000},
    {"360.01", 2, 36000, {}},   {"359.99", 2, 35999, 35999}, {"007", 0, 3600, 7},     {"3600", 0, 3600, 3600},
    {"3601", 0, 3600, {}},      {"1.5", 0, 3600, {}},      {"12,5", 2, 36000, {}},    {"1.234", 2, 36000, {}},
    {".5", 2, 36000, {}},       {"5.", 2, 36000, {}},      {"-1", 2, 36000, {}},      {"+1", 2, 36000, {}},
    {"1e2", 2, 36000, {}},      {"", 2, 36000, {}},        {"99999999999999999999999", 2, 36000, {}},
    {"0.00000000000000000000001", 2, 36000, {}},           {"0000000000000000000000001", 0, 3600, 1},
  };
  // clang-format on
  for (const auto& c : words) EXPECT_EQ(ParseDecimalUnits(c.word, c.decimals, c.limit), c.units) << c.word;
  // clang-format off
  const struct { int32_t centidegrees; const char* text; } angles[] = {
    {0, "0"}, {1, "0.01"}, {10, "0.1"}, {1250, "12.5"}, {1205, "12.05"}, {71999, "719.99"}, {-5, "-0.05"},
    {INT32_MIN, "-21474836.48"},
  };
  // clang-format on
  for (const auto& c : angles) EXPECT_EQ(FormatAngle(c.centidegrees), c.text) << c.centidegrees;
}

TEST(PatternReader, BoundsTheCountsOfLinesAndStretches) {
  std::string sources = "name a\n";
  for (int i = 0; i <= 20; ++i) sources += "source s\n";
  EXPECT_EQ(PatternErrorText(ReadPattern(sources).error), "line 22, column 1: expected at most 20 lines of each field");

  // Each bound itself is accepted.
  std::string atLimits = "name " + std::string(64, 'n') + "\ndescription " + std::string(300, 'd') + "\n";
  for (int i = 0; i < 20; ++i) atLimits += "source s\nfits f\n";
  const PatternReading limits = ReadPattern(atLimits + "cycle 360\ncrank teeth 3600\n");
  ASSERT_TRUE(limits.ok) << PatternErrorText(limits.error);
  EXPECT_EQ(limits.pattern.sources.size(), 20u);
  EXPECT_EQ(limits.pattern.crank.highs.size(), 3600u);
  EXPECT_EQ(limits.pattern.crank.highs.back(), (HighStretch{35990, 35995}));

  // 3600 teeth a revolution twice over: more stretches than a track may hold.
  const PatternReading many = ReadPattern(Header(720) + "crank teeth 3600 duty 50");
  EXPECT_EQ(PatternErrorText(many.error), "line 4, column 13: expected at most 4000 high stretches a track");
}

}  // namespace
}  // namespace vm
