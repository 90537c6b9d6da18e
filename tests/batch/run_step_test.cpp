// One batch step on a simulated clock: the ramp, the countdown, lateness and stopping.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "batch/run_step.h"
#include "support/comma_locale.h"

namespace vm {
namespace {

// Each sleep lasts 1 ms, or longer where a delay is planted at its start time.
class SimClock final : public RunnerClock {
 public:
  explicit SimClock(uint32_t start) : now(start) {}
  uint32_t NowMs() override { return now; }
  void SleepOneMs() override {
    const auto delay = delays.find(now);
    now += 1 + (delay == delays.end() ? 0 : delay->second);
    ++sleeps;
    if (onSleep) onSleep();
  }
  uint32_t now;
  int sleeps = 0;
  std::map<uint32_t, uint32_t> delays;
  std::function<void()> onSleep;
};

using Kind = RunnerReport::Kind;

struct Posted {
  RunnerReport report;
  uint32_t atMs;
};

class RecordingSink final : public RunnerSink {
 public:
  explicit RecordingSink(const SimClock& clock) : clock_(clock) {}
  void Report(const RunnerReport& report) override { posted.push_back({report, clock_.now}); }

  std::vector<int32_t> Sliders() const {
    std::vector<int32_t> out;
    for (const Posted& p : posted)
      if (p.report.kind == Kind::SliderPosition) out.push_back(p.report.position);
    return out;
  }
  std::vector<std::string> Countdowns() const {
    std::vector<std::string> out;
    for (const Posted& p : posted)
      if (p.report.kind == Kind::Countdown) out.push_back(p.report.countdown);
    return out;
  }
  std::vector<uint32_t> TickTimes() const {  // the countdowns after the first and before the last
    std::vector<uint32_t> out;
    for (const Posted& p : posted)
      if (p.report.kind == Kind::Countdown) out.push_back(p.atMs);
    return std::vector<uint32_t>(out.begin() + 1, out.end() - 1);
  }
  int Count(Kind kind) const {
    int n = 0;
    for (const Posted& p : posted) n += p.report.kind == kind;
    return n;
  }
  std::vector<Posted> posted;

 private:
  const SimClock& clock_;
};

struct StepRun {
  SimClock clock;
  RecordingSink sink{clock};
  RunnerJob job;
  StepRun(int32_t duration, int32_t rpm1, int32_t rpm2, uint32_t start = 1000) : clock(start) {
    job.durationMs = duration;
    job.rpm1 = rpm1;
    job.rpm2 = rpm2;
    job.generation = 7;
  }
  void Run() { EXPECT_EQ(RunStep(job, clock, sink), 0); }
};

TEST(RunnerStep, RampOfOneSecondFromThousandToTwoThousand) {
  StepRun run(1000, 1000, 2000);
  run.Run();
  EXPECT_EQ(run.sink.Sliders(), (std::vector<int32_t>{500, 550, 600, 650, 700, 750, 800, 850, 900, 950, 1000}));
  EXPECT_EQ(run.sink.Countdowns(), (std::vector<std::string>{"1.0s", "0.9s", "0.8s", "0.7s", "0.6s", "0.5s", "0.4s",
                                                             "0.3s", "0.2s", "0.1s", "0.0s", ""}));
  EXPECT_EQ(run.sink.Count(Kind::StepDone), 1);
  EXPECT_EQ(run.clock.now, 2000u);  // ends by the clock, at endMs
}

TEST(RunnerStep, EverythingPostedIsStampedAndOrdered) {
  StepRun run(300, 1000, 2000);
  run.Run();
  const auto& posted = run.sink.posted;
  ASSERT_FALSE(posted.empty());
  for (const Posted& p : posted) EXPECT_EQ(p.report.generation, 7u);
  EXPECT_EQ(posted.front().report.kind, Kind::SliderPosition);
  EXPECT_EQ(posted.back().report.kind, Kind::StepDone);
}

struct RampCase {
  const char* name;
  int32_t duration, rpm1, rpm2;
  std::vector<int32_t> sliders;
};

class RunnerRamp : public testing::TestWithParam<RampCase> {};

TEST_P(RunnerRamp, SliderPositions) {
  StepRun run(GetParam().duration, GetParam().rpm1, GetParam().rpm2);
  run.Run();
  EXPECT_EQ(run.sink.Sliders(), GetParam().sliders);
  EXPECT_EQ(run.sink.Count(Kind::StepDone), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RunnerRamp,
    testing::Values(RampCase{"Hold", 500, 3000, 0, {1500}}, RampCase{"SameEnds", 500, 3001, 3001, {1500}},
                    // First position truncated (1001 / 2 = 500); later ones nearest, halves to even.
                    RampCase{"OddStart", 300, 1001, 1007, {500, 502, 502, 504}},
                    RampCase{"Down", 500, 2000, 1000, {1000, 900, 800, 700, 600, 500}},
                    RampCase{"NegativeRpm", 200, -1001, -1005, {-500, -502, -502}},
                    RampCase{"ShortStepHasNoTick", 99, 1000, 2000, {500}},
                    RampCase{"ZeroDuration", 0, 1000, 2000, {500}},
                    RampCase{"NegativeDuration", -1294967296, 1000, 2000, {500}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RunnerStep, ZeroAndNegativeDurationsEndAtTheFirstTest) {
  // The two most negative durations too: a wrapping compare of the end time would run them
  // for 24.8 days (here they are stopped after a few polls instead).
  for (const int32_t duration : {0, -1, -1294967296, -2147483647, -2147483647 - 1}) {
    StepRun run(duration, 1000, 2000);
    run.clock.onSleep = [&] {
      if (run.clock.sleeps == 5) run.job.stop = 1;
    };
    run.Run();
    EXPECT_EQ(run.clock.sleeps, 1) << duration;
    EXPECT_EQ(run.sink.Countdowns(), (std::vector<std::string>{FormatCountdown(duration), ""})) << duration;
    EXPECT_EQ(run.sink.Count(Kind::StepDone), 1) << duration;
  }
}

TEST(RunnerStep, ShortStepKeepsItsFirstCountdown) {
  // 0.25 is exact as a float and rounds to even; 0.15f and 0.05f lie just above their halves.
  StepRun run(250, 1000, 0);
  run.Run();
  EXPECT_EQ(run.sink.Countdowns(), (std::vector<std::string>{"0.2s", "0.2s", "0.1s", ""}));
  StepRun shorter(60, 1000, 0);
  shorter.Run();
  EXPECT_EQ(shorter.sink.Countdowns(), (std::vector<std::string>{"0.1s", ""}));
}

TEST(RunnerStep, LateTickPullsTheNextDueTimeIn) {
  StepRun run(1000, 1000, 2000, 0);
  run.clock.delays[99] = 30;  // the sleep before the first tick overruns: read at 130
  run.Run();
  const std::vector<uint32_t> expected = {130, 170, 270, 370, 470, 570, 670, 770, 870, 970};
  EXPECT_EQ(run.sink.TickTimes(), expected);
  EXPECT_EQ(run.sink.Countdowns()[1], "0.9s");   // 1000 - 70
  EXPECT_EQ(run.sink.Countdowns()[10], "0.0s");  // 1000 - 970
  EXPECT_EQ(run.sink.Sliders().back(), 1000);
}

TEST(RunnerStep, RepeatedLatenessGivesExtraTicksPastTheEnd) {
  // Every tick 50 ms late: due times fall back 50 ms each time, so more ticks fit.
  StepRun run(1000, 1000, 2000, 0);
  for (uint32_t t = 99; t < 1000; t += 50) run.clock.delays[t] = 50;
  run.Run();
  EXPECT_GT(run.sink.Sliders().size(), 11u);
  EXPECT_GT(run.sink.Sliders().back(), 1000);  // the ramp goes past rpm2
  EXPECT_GE(run.clock.now, 1000u);
}

TEST(RunnerStep, ClockWrapDuringAStepChangesNothing) {
  StepRun wrapped(1000, 1000, 2000, 0xFFFFFE00u);
  wrapped.Run();
  StepRun plain(1000, 1000, 2000, 5000);
  plain.Run();
  EXPECT_EQ(wrapped.sink.Sliders(), plain.sink.Sliders());
  EXPECT_EQ(wrapped.sink.Countdowns(), plain.sink.Countdowns());
  EXPECT_EQ(wrapped.clock.now, 0xFFFFFE00u + 1000u);
}

TEST(RunnerStep, StopEndsWithinOnePollAndPostsNoStepDone) {
  StepRun run(60000, 1000, 2000);
  run.clock.onSleep = [&] {
    if (run.clock.sleeps == 250) run.job.stop = 1;
  };
  run.Run();
  EXPECT_EQ(run.clock.sleeps, 250);
  EXPECT_EQ(run.sink.Count(Kind::StepDone), 0);
  EXPECT_EQ(run.sink.Countdowns().back(), "");
}

TEST(RunnerCountdown, Format) {
  // clang-format off
  const std::pair<int32_t, const char*> cases[] = {
      {5000, "5.0s"}, {0, "0.0s"},     {930, "0.9s"},    {-30, "-0.0s"},   {-100, "-0.1s"},
      {60000, "60.0s"}, {1250, "1.2s"}, {2147483647, "2147483.8s"}, {-2147483647 - 1, "-2147483.8s"}};
  // clang-format on
  for (const auto& [ms, text] : cases) EXPECT_EQ(FormatCountdown(ms), text) << ms;
  // The program's toolkit sets the user's locale; the countdown keeps its decimal point.
  const test::ScopedCommaLocale comma;
  if (!comma.active()) GTEST_SKIP() << "no locale with a decimal comma";
  for (const auto& [ms, text] : cases) EXPECT_EQ(FormatCountdown(ms), text) << ms << " under a comma locale";
}

TEST(RunnerRampArithmetic, ExtremesStayDefined) {
  EXPECT_EQ(RampIncrement(0, 1000, 2000), 0.0f);  // no division by zero
  EXPECT_EQ(RampIncrement(1, -2147483647 - 1, 2147483647), static_cast<float>(4294967295.0 * 100));
  EXPECT_EQ(RampSliderPosition(1e30f), 2147483647);
  EXPECT_EQ(RampSliderPosition(-1e30f), -2147483647 - 1);
}

}  // namespace
}  // namespace vm
