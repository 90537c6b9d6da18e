// Batch file bytes: what is written for a table, and what any bytes read back give.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch/batch_file.h"
#include "support/batch_example.h"

namespace vm {
namespace {

using Rows = std::vector<BatchRow>;
using namespace std::string_literals;

TEST(BatchFileWrite, LinesAreTrimmedOfBarsAndEndInCrLf) {
  const Rows rows = {{"5000", "1000", "3000"}, {"2000", "3000", ""}, {"10000", "3000", "500"}};
  EXPECT_EQ(BatchFileText(rows), "5000|1000|3000\r\n2000|3000\r\n10000|3000|500\r\n");
}

TEST(BatchFileWrite, EmptyTableGivesNoBytes) { EXPECT_EQ(BatchFileText({}), ""); }

TEST(BatchFileWrite, TextsAreWrittenAsTheyStand) {
  // Leading zeros, inner spaces and an empty middle column are kept; only end bars go.
  const Rows rows = {{"0500", "", "3000"}, {"5000 ", " 1000", ""}, {"", "", ""}};
  EXPECT_EQ(BatchFileText(rows), "0500||3000\r\n5000 | 1000\r\n\r\n");
}

TEST(BatchFileRead, SevenLineExampleGivesThreeRows) {
  EXPECT_EQ(ReadBatchRows(test::kSevenLineBatch), test::kSevenLineBatchRows);
}

TEST(BatchFileRead, EveryLineEndReadsTheSame) {
  const Rows expected = {{"5000", "1000", ""}, {"2000", "3000", "4000"}};
  for (const std::string& file :
       {"5000|1000\r\n2000|3000|4000\r\n"s, "5000|1000\n2000|3000|4000\n"s, "5000|1000\r2000|3000|4000\r"s,
        "5000|1000\r\n2000|3000|4000"s, "5000|1000\n\r2000|3000|4000"s, "\r\r\n\n5000|1000\r\n\r\n2000|3000|4000"s}) {
    SCOPED_TRACE(file);
    EXPECT_EQ(ReadBatchRows(file), expected);
  }
}

struct LineCase {
  const char* line;
  Rows rows;
};

class BatchFileLine : public testing::TestWithParam<LineCase> {};

TEST_P(BatchFileLine, GivesItsRows) { EXPECT_EQ(ReadBatchRows(GetParam().line), GetParam().rows); }

INSTANTIATE_TEST_SUITE_P(
    Cases, BatchFileLine,
    // clang-format off
    testing::Values(
        LineCase{"5000|1000|3000;note", {{"5000", "1000", "3000"}}},
        LineCase{";5000|1000|3000", {}},
        LineCase{"  5000 | 1000", {{"5000 ", " 1000", ""}}},  // inner spaces stay
        LineCase{"12abc|1000", {{"12abc", "1000", ""}}},       // number read from the start
        LineCase{"$1388|1000", {{"$1388", "1000", ""}}},       // hexadecimal 5000
        LineCase{"%101|1000", {{"%101", "1000", ""}}},
        LineCase{"\t5000|1000", {{"\t5000", "1000", ""}}},     // tabs count but the number skips them
        LineCase{"5000|1000 \t", {{"5000", "1000 \t", ""}}},   // only spaces are trimmed
        LineCase{"-5|1000", {}},
        LineCase{"+5|1000", {{"+5", "1000", ""}}},
        LineCase{"0|1000|2000", {}},
        LineCase{"abc|1000", {}},
        LineCase{"|5000|1000", {}},                            // first field empty: no number
        LineCase{"5000", {{"5000", "", ""}}},
        LineCase{"5000||3000", {{"5000", "", "3000"}}},
        LineCase{"5000|1000|3000|", {{"5000", "1000", "3000"}}},
        LineCase{"   ;   ", {}},
        LineCase{"3000000000|1000", {{"3000000000", "1000", ""}}},  // positive in 64 bits
        LineCase{"-9223372036854775808", {}}));

TEST(BatchFileRead, ByteOrderMarks) {
  const Rows plain = {{"5000", "1000", "3000"}};
  // UTF-8 and UTF-16 LE are converted; after UTF-16 BE and UTF-32 marks the rest is 8-bit.
  EXPECT_EQ(ReadBatchRows("\xEF\xBB\xBF" "5000|1000|3000\r\n"), plain);
  EXPECT_EQ(ReadBatchRows("\xFF\xFE" "5\0" "0\0" "0\0" "0\0" "|\0" "1\0" "0\0" "0\0" "0\0" "|\0" "3\0" "0\0" "0\0" "0\0" "\r\0\n\0"s), plain);
  EXPECT_EQ(ReadBatchRows("\xFE\xFF" "5000|1000|3000"s), plain);
  EXPECT_EQ(ReadBatchRows("\xFF\xFE\0\0" "5000|1000|3000"s), plain);
  EXPECT_EQ(ReadBatchRows("\0\0\xFE\xFF" "5000|1000|3000"s), plain);
  // Without a mark the first bytes are text: a lone EF is not a number.
  EXPECT_EQ(ReadBatchRows("\xEF" "5000|1000"), Rows{});
}

TEST(BatchFileRead, ConversionTo8BitText) {
  // Latin-1 characters survive, wider ones become "?", broken sequences cost no good bytes.
  EXPECT_EQ(BatchFileTo8Bit("\xEF\xBB\xBF" "a\xC3\xA9\xE2\x82\xAC" "b"), "a\xE9?b");
  EXPECT_EQ(BatchFileTo8Bit("\xEF\xBB\xBF" "\xC3" "5\x80" "6\xC0\xAF"), "?5?6??");
  EXPECT_EQ(BatchFileTo8Bit("\xEF\xBB\xBF" "\xF0\x9F\x98\x80|"), "?|");
  EXPECT_EQ(BatchFileTo8Bit("\xFF\xFE" "A\0" "\xE9\0" "\xAC\x20" "=\xD8\x00\xDE" "\x00\xDC" "7"s), "A\xE9???");
}
// clang-format on

TEST(BatchFileRoundTrip, RowsAboveZeroComeBackAndZeroDurationsAreLost) {
  const Rows rows = {{"5000", "1000", ""}, {"0", "1000", "2000"}, {"0500", "100", "0"}, {"12abc", "1000", "3000"}};
  const Rows expected = {rows[0], rows[2], rows[3]};
  EXPECT_EQ(ReadBatchRows(BatchFileText(rows)), expected);
}

TEST(BatchFileName, ExtensionRule) {
  const std::pair<std::string, std::string> cases[] = {{"/b/Sweep", "/b/Sweep.rbt"},
                                                       {"/b/Sweep.RBT", "/b/Sweep.RBT"},
                                                       {"/b/sweep.txt", "/b/sweep.txt.rbt"},
                                                       {"/b/x.Rbt", "/b/x.Rbt"},
                                                       {"rbt", "rbt.rbt"},
                                                       {".rbt", ".rbt"},
                                                       {"/b/xrbt", "/b/xrbt.rbt"}};
  for (const auto& [path, expected] : cases) EXPECT_EQ(WithBatchExtension(path), expected) << path;
}

}  // namespace
}  // namespace vm
