// A batch run on the ideal clock, as the render tool plays it.
#include <gtest/gtest.h>

#include "batch/ideal_run.h"

namespace vm {
namespace {

std::vector<std::pair<uint64_t, int32_t>> Moves(const IdealRun& run) {
  std::vector<std::pair<uint64_t, int32_t>> moves;
  for (const SliderMove& move : run.moves) moves.emplace_back(move.atMs, move.position);
  return moves;
}

TEST(IdealRun, TicksFallExactlyEveryTenthAndStepsFollowAtOnce) {
  const std::vector<BatchRow> rows = {{"1000", "1000", "2000"}, {"500", "3001", ""}};
  const IdealRun run = RunIdeally(rows, 1);
  std::vector<std::pair<uint64_t, int32_t>> expected;
  for (int tick = 0; tick <= 10; ++tick) expected.emplace_back(tick * 100, 500 + tick * 50);
  expected.emplace_back(1000, 1500);  // the next step's first position, truncated
  EXPECT_EQ(Moves(run), expected);
  EXPECT_EQ(run.lengthMs, 1500u);
  EXPECT_EQ(IdealRunLength(rows, 1), 1500u);
}

TEST(IdealRun, PassesRepeatTheTable) {
  const std::vector<BatchRow> rows = {{"200", "1000", ""}, {"100", "2000", ""}};
  const IdealRun run = RunIdeally(rows, 3);
  EXPECT_EQ(Moves(run), (std::vector<std::pair<uint64_t, int32_t>>{
                            {0, 500}, {200, 1000}, {300, 500}, {500, 1000}, {600, 500}, {800, 1000}}));
  EXPECT_EQ(run.lengthMs, 900u);
  EXPECT_EQ(IdealRunLength(rows, 3), 900u);
}

TEST(IdealRun, StepsWithoutDurationLastOneMillisecond) {
  // Rows as the table may hold them: 0, negative in 32 bits (the two most negative ones
  // too), and not a number. The length the render tool checks before it renders is the run's.
  const std::vector<BatchRow> rows = {{"0", "1000", "2000"},
                                      {"3000000000", "2000", ""},
                                      {"x", "3000", ""},
                                      {"2147483648", "4000", ""},
                                      {"2147483649", "5000", ""}};
  const IdealRun run = RunIdeally(rows, 1);
  EXPECT_EQ(Moves(run),
            (std::vector<std::pair<uint64_t, int32_t>>{{0, 500}, {1, 1000}, {2, 1500}, {3, 2000}, {4, 2500}}));
  EXPECT_EQ(run.lengthMs, 5u);
  EXPECT_EQ(IdealRunLength(rows, 1), 5u);
}

}  // namespace
}  // namespace vm
