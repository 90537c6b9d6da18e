// Running the table through the whole program: run-all, loop, single step, Stop, a thread
// that cannot be created, the quit signals, and a stress of starts and stops at random
// moments. The runners' time is the test's own (GatedClock), so what they post does not depend
// on the machine's load. These also run under ThreadSanitizer.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <map>
#include <mutex>
#include <random>
#include <set>

#include "batch/runner_thread.h"
#include "platform/quit_signals.h"
#include "support/no_new_threads.h"
#include "support/program_fixture.h"

namespace vm::test {
namespace {

using Clock = std::chrono::steady_clock;

// The runners' clock: time passes only as the test grants it, 1 ms for each sleep of a runner,
// so no tick is ever late. A sleep with nothing granted returns after 1 ms of real time, so a
// stop is still seen at once.
struct GatedClock final : RunnerClock {
  std::atomic<uint32_t> now{5000};
  std::mutex mutex;
  std::condition_variable granted;
  uint32_t budget = 0;  // guarded by mutex
  uint32_t NowMs() override { return now; }
  void SleepOneMs() override {
    std::unique_lock lock(mutex);
    if (granted.wait_for(lock, std::chrono::milliseconds(1), [this] { return budget > 0; })) {
      --budget;
      ++now;
    }
  }
  // Grants `ms` more; with `onlyWhenSpent`, nothing while an earlier grant is unused.
  bool Grant(uint32_t ms, bool onlyWhenSpent = false) {
    const std::lock_guard lock(mutex);
    if (onlyWhenSpent && budget > 0) return false;
    budget += ms;
    granted.notify_all();
    return true;
  }
};

class RunControlRunner : public StartedProgram {
 protected:
  void SetUp() override {
    StartedProgram::SetUp();
    app->batch().SetRunnerClock(clock);
    onEvent = [this](const Event& e, bool acted) {
      if (!acted) return;
      if (e.kind == EventStepDone) ++stepsDone;
      if (e.kind == RunnerSetSliderEvent) {
        if (firstSlider.insert(e.generation).second) rowsRun.push_back(e.value);
        sliders.push_back(e.value);
      }
      if (e.kind == RunnerStatusTextEvent) countdowns.push_back(e.text);
    };
  }
  bool Running() { return toolkit.Text(BatchStartButton) == "Stop"; }
  // Clicks and dispatches only up to the click itself, so that what the press did can be
  // seen before a slow machine has run the step it started.
  void PressOnly(ControlId id) {
    QTest::mouseClick(Widget(id), Qt::LeftButton);
    Event event;
    while (toolkit.PollEvent(event)) {
      app->Dispatch(event);
      if (event.kind == ControlEvent && event.control() == id) return;
    }
  }
  // Lets the runners' time pass a millisecond at a time, the main loop handling what they post,
  // until `done` holds; false when `mostMs` have passed first. (The real-time bound only
  // catches a hang.)
  bool RunUntil(const std::function<bool()>& done, uint32_t mostMs = 100000) {
    uint32_t passed = 0;
    PumpUntil(
        [&] {
          if (done()) return true;
          if (passed < mostMs && clock->Grant(1, true)) ++passed;
          return passed == mostMs && clock->Grant(0, true);
        },
        30);
    return done();
  }
  bool WaitStepsDone(int n) {
    return RunUntil([&] { return stepsDone >= n; });
  }
  void ExpectIdleAfterRun() {
    EXPECT_EQ(toolkit.State(BatchList), -1);
    EXPECT_FALSE(toolkit.IsEnabled(StepButton));
    ExpectIdle();
  }
  // Idle, whatever the user has selected since the run ended.
  void ExpectIdle() {
    EXPECT_EQ(toolkit.Text(BatchStartButton), "Start");
    EXPECT_FALSE(sound.IsPlaying());
    EXPECT_EQ(toolkit.StatusText(CountdownField), "");
    for (ControlId id : kWheelControls) EXPECT_TRUE(toolkit.IsEnabled(id)) << id;
    EXPECT_TRUE(toolkit.IsEnabled(StartStopButton));
    EXPECT_TRUE(toolkit.IsMenuItemEnabled(MainMenu, ConfigLoadItem));
    EXPECT_TRUE(toolkit.IsMenuItemEnabled(MainMenu, BatchLoadItem));
  }
  void ExpectRunLocks() {
    for (ControlId id : kWheelControls) EXPECT_FALSE(toolkit.IsEnabled(id)) << id;
    EXPECT_FALSE(toolkit.IsEnabled(StartStopButton));
    EXPECT_FALSE(toolkit.IsEnabled(StepButton));
    EXPECT_FALSE(toolkit.IsMenuItemEnabled(MainMenu, ConfigLoadItem));
    EXPECT_FALSE(toolkit.IsMenuItemEnabled(MainMenu, BatchLoadItem));
    EXPECT_EQ(toolkit.Text(BatchStartButton), "Stop");
  }

  std::shared_ptr<GatedClock> clock = std::make_shared<GatedClock>();
  int stepsDone = 0;
  std::set<uint32_t> firstSlider;
  std::vector<int32_t> rowsRun;  // first slider position of each runner: rpm1 / 2
  std::vector<int32_t> sliders;
  std::vector<std::string> countdowns;
};

TEST_F(RunControlRunner, RunAllPlaysEveryRowThenEnds) {
  AddRows({{"400", "1000", ""}, {"100", "2000", ""}, {"100", "3000", ""}});
  PressOnly(BatchStartButton);
  ExpectRunLocks();
  EXPECT_EQ(toolkit.State(BatchList), 0);
  ASSERT_TRUE(RunUntil([&] { return !Running(); }));
  EXPECT_EQ(rowsRun, (std::vector<int32_t>{500, 1000, 1500}));
  EXPECT_EQ(stepsDone, 3);
  EXPECT_EQ(toolkit.Text(RpmCombo), "3000");
  ExpectIdleAfterRun();
}

TEST_F(RunControlRunner, StartOnASelectedRowBeginsThere) {
  AddRows({{"50", "1000", ""}, {"50", "2000", ""}, {"50", "3000", ""}});
  ClickRow(1);
  Click(BatchStartButton);
  ASSERT_TRUE(RunUntil([&] { return !Running(); }));
  EXPECT_EQ(rowsRun, (std::vector<int32_t>{1000, 1500}));
}

TEST_F(RunControlRunner, LoopGoesOnWithRowZeroUntilStop) {
  AddRows({{"30", "1000", ""}, {"30", "2000", ""}});
  Click(LoopCheckBox);
  Click(BatchStartButton);
  ASSERT_TRUE(RunUntil([&] { return rowsRun.size() >= 6; }));
  EXPECT_TRUE(Running());
  Click(BatchStartButton);
  EXPECT_EQ(std::vector<int32_t>(rowsRun.begin(), rowsRun.begin() + 6),
            (std::vector<int32_t>{500, 1000, 500, 1000, 500, 1000}));
  ExpectIdleAfterRun();
}

TEST_F(RunControlRunner, SingleStepRunsOneRowPerPress) {
  AddRows({{"400", "1000", ""}, {"50", "2000", ""}, {"50", "3000", ""}});
  Click(StepButton);  // disabled: nothing selected yet
  EXPECT_TRUE(rowsRun.empty());
  ClickRow(0);
  PressOnly(StepButton);
  ExpectRunLocks();
  ASSERT_TRUE(WaitStepsDone(1));
  // Paused on the next row, the tone holding the last RPM.
  EXPECT_EQ(toolkit.State(BatchList), 1);
  EXPECT_TRUE(toolkit.IsEnabled(StepButton));
  EXPECT_TRUE(sound.IsPlaying());
  EXPECT_EQ(toolkit.Text(BatchStartButton), "Stop");
  ClickRow(2);  // the user picks another row first
  Click(StepButton);
  ASSERT_TRUE(RunUntil([&] { return !Running(); }));  // it was the last row
  EXPECT_EQ(rowsRun, (std::vector<int32_t>{500, 1500}));
  ExpectIdleAfterRun();
}

TEST_F(RunControlRunner, StopMidStepEndsAtOnceAndForGood) {
  AddRows({{"100", "2000", ""}, {"60000", "1000", "3000"}});
  ClickRow(1);
  Click(BatchStartButton);
  ASSERT_TRUE(RunUntil([&] { return countdowns.size() >= 2; }));
  Click(BatchStartButton);
  EXPECT_EQ(RunnerThread::LiveThreads(), 0);  // ended within the bound and joined, not let go
  ExpectIdleAfterRun();
  // Whatever it still had queued is dropped.
  const size_t seen = sliders.size() + countdowns.size();
  PumpUntil([] { return false; }, 0.2);
  EXPECT_EQ(sliders.size() + countdowns.size(), seen);
  EXPECT_EQ(stepsDone, 0);
  EXPECT_FALSE(sound.IsPlaying());
  // Stop cleared the selection, so the next run begins at row 0.
  Click(BatchStartButton);
  RunUntil([&] { return rowsRun.size() >= 2; });
  EXPECT_EQ(rowsRun, (std::vector<int32_t>{500, 1000}));
  Click(BatchStartButton);
}

TEST_F(RunControlRunner, RampOfOneSecondReachesTheSliderAndTheCountdown) {
  AddRows({{"1000", "1000", "2000"}});
  Click(BatchStartButton);
  ASSERT_TRUE(RunUntil([&] { return !Running(); }));
  EXPECT_EQ(sliders, (std::vector<int32_t>{500, 550, 600, 650, 700, 750, 800, 850, 900, 950, 1000}));
  EXPECT_EQ(countdowns, (std::vector<std::string>{"1.0s", "0.9s", "0.8s", "0.7s", "0.6s", "0.5s", "0.4s", "0.3s",
                                                  "0.2s", "0.1s", "0.0s", ""}));
  EXPECT_EQ(toolkit.StatusText(CountdownField), "");
}

TEST_F(RunControlRunner, DeletingEveryRowDuringARunLeavesStopUsable) {
  AddRows({{"60000", "1000", ""}});
  ClickRow(0);
  Click(BatchStartButton);
  ClickRow(0);
  Choose(StepDeleteItem);
  EXPECT_TRUE(Rows().empty());
  EXPECT_TRUE(toolkit.IsEnabled(BatchStartButton));
  Click(BatchStartButton);
  ExpectIdleAfterRun();
}

TEST_F(RunControlRunner, UserStopBeforeTheRunsOwnEndPressIsNotARestart) {
  AddRows({{"10", "1000", ""}});
  // Not pumped: on a slow machine a pump could run the whole 10 ms step and take its
  // EventStepDone before the loop below looks for it.
  PressOnly(BatchStartButton);
  // Dispatch up to the step's end, whose handler posts the run's own "Stop" press; the
  // user's "Stop" comes first. The posted press must not read "Start" and begin a new run.
  bool done = false;
  const auto end = Clock::now() + std::chrono::seconds(30);
  while (!done && Clock::now() < end) {
    Event event;
    clock->Grant(1, true);
    if (!toolkit.PollEvent(event)) continue;
    done = event.kind == EventStepDone && !app->Drops(event);
    app->Dispatch(event);
  }
  ASSERT_TRUE(done);
  ASSERT_TRUE(Running());
  app->batch().OnBatchStartButton();
  Pump();
  EXPECT_EQ(toolkit.Text(BatchStartButton), "Start");
  EXPECT_FALSE(sound.IsPlaying());
}

TEST_F(RunControlRunner, EmptyTableStartsNothing) {
  toolkit.SetEnabled(BatchStartButton, true);
  toolkit.SetEnabled(StepButton, true);
  Click(BatchStartButton);
  Click(StepButton);
  EXPECT_EQ(toolkit.Text(BatchStartButton), "Start");
  EXPECT_TRUE(toolkit.IsEnabled(StartStopButton));
}

TEST_F(RunControlRunner, ShutdownStopsALiveRunner) {
  AddRows({{"60000", "1000", ""}});
  Click(BatchStartButton);
  RunUntil([&] { return countdowns.size() >= 2; });
  app->batch().Shutdown();
  app->batch().Shutdown();
  const size_t seen = countdowns.size();
  PumpUntil([] { return false; }, 0.2);
  EXPECT_EQ(countdowns.size(), seen);
}

// No thread can be created: no runner runs, and the run waits for "Stop" as it would for a step.
TEST_F(RunControlRunner, StartWithoutAThreadWaitsForStop) {
  AddRows({{"100", "1000", ""}, {"100", "2000", ""}});
  {
    NoNewThreads noThreads;
    ASSERT_TRUE(noThreads.ok);
    PressOnly(BatchStartButton);
  }
  ExpectRunLocks();
  PumpUntil([] { return false; }, 0.1);
  EXPECT_EQ(RunnerThread::LiveThreads(), 0);
  EXPECT_TRUE(rowsRun.empty());
  EXPECT_TRUE(Running());
  Click(BatchStartButton);
  ExpectIdleAfterRun();
}

// Ctrl+C, kill and logout end the program as its close box does: the live runner is stopped
// and the settings are written.
TEST_F(RunControlRunner, QuitSignalsEndTheProgramAsTheCloseBoxDoes) {
  const int quitPipe = InstallQuitSignalPipe();
  ASSERT_GE(quitPipe, 0);
  toolkit.PostWhenReadable(quitPipe, MakeEvent(CloseEvent, MainWindow));
  AddRows({{"60000", "1000", ""}});
  Click(BatchStartButton);
  ASSERT_TRUE(RunUntil([&] { return !countdowns.empty(); }));
  const auto closes = [&] {
    return std::count_if(log.begin(), log.end(), [](const Event& e) { return e.kind == CloseEvent; });
  };
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    const auto before = closes();
    std::raise(signal);
    EXPECT_TRUE(PumpUntil([&] { return closes() == before + 1; })) << signal;
  }
  EXPECT_TRUE(app->QuitRequested());
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) std::signal(signal, SIG_DFL);
  app->End();
  EXPECT_EQ(RunnerThread::LiveThreads(), 0);
  EXPECT_NE(ReadFile(exePath + ".ini").find("[General]\r\nType = no name\r\n"), std::string::npos);
}

// Starts, steps and stops at random moments, with steps short enough to end by themselves.
TEST_F(RunControlRunner, StressOfRandomStartsAndStops) {
  AddRows({{"0", "1000", ""}, {"7", "2000", "3000"}, {"3", "3000", ""}, {"20", "4000", "1000"}, {"1", "500", ""}});
  std::mt19937 random(12345);
  std::set<uint32_t> retired;
  uint32_t newest = 0;  // newest runner seen posting
  bool retiredActed = false, toneWrong = false;
  onEvent = [&](const Event& e, bool acted) {
    newest = std::max(newest, e.generation);
    if (acted && retired.count(e.generation)) retiredActed = true;
  };
  // The user's presses as the toolkit queues them, only on controls that are enabled.
  auto press = [&](ControlId id) {
    if (toolkit.IsEnabled(id)) app->Dispatch(UserEvent(ControlEvent, MainWindow, id));
  };
  for (int action = 0; action < 500; ++action) {
    switch (random() % 6) {
      case 0:
      case 1: {
        const bool stopping = Running();
        press(BatchStartButton);
        if (stopping) {
          for (uint32_t g = 1; g <= newest; ++g) retired.insert(g);
        }
        break;
      }
      case 2: press(StepButton); break;
      case 3:
        toolkit.SetState(BatchList, static_cast<int>(random() % 6) - 1);
        press(BatchList);
        break;
      case 4:
        if (random() % 8 == 0) toolkit.SetState(LoopCheckBox, 1 - toolkit.State(LoopCheckBox));
        break;
      default: break;
    }
    clock->Grant(random() % 8);  // steps of up to 20 ms end by themselves now and then
    const auto wait = Clock::now() + std::chrono::microseconds(random() % 1000);
    do {
      Pump();
      EXPECT_LE(RunnerThread::LiveThreads(), 1);
      if (!Running() && toolkit.Text(StartStopButton) == "Start" && sound.IsPlaying()) toneWrong = true;
    } while (Clock::now() < wait);
  }
  // Whether the last run was stopped here or ended by itself depends on the machine's speed;
  // after one that ended by itself the random selections may have picked a row again.
  const bool stoppedHere = Running();
  if (stoppedHere) Click(BatchStartButton);
  EXPECT_FALSE(retiredActed);
  EXPECT_FALSE(toneWrong);
  EXPECT_EQ(RunnerThread::LiveThreads(), 0);
  EXPECT_EQ(RunnerThread::PeakLiveThreads(), 1);
  if (stoppedHere) ExpectIdleAfterRun();
  else ExpectIdle();
}

}  // namespace
}  // namespace vm::test
