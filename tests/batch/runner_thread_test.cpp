// The runner on a real thread: a full step, a stop mid-step, and a runner that will not end.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "batch/runner_thread.h"
#include "support/no_new_threads.h"

namespace vm {
namespace {

using namespace std::chrono_literals;

using Kind = RunnerReport::Kind;

class EventLog {
 public:
  RunnerThread::PostFunction Poster() {
    return [this](const RunnerReport& e) {
      std::lock_guard lock(mutex_);
      events_.push_back(e);
    };
  }
  std::vector<RunnerReport> Events() {
    std::lock_guard lock(mutex_);
    return events_;
  }
  int Count(Kind kind) {
    int n = 0;
    for (const RunnerReport& e : Events()) n += e.kind == kind;
    return n;
  }

 private:
  std::mutex mutex_;
  std::vector<RunnerReport> events_;
};

// A clock whose sleeps hang once `hang` is set, until `release` is set.
class HangingClock final : public RunnerClock {
 public:
  uint32_t NowMs() override { return real_.NowMs(); }
  void SleepOneMs() override {
    real_.SleepOneMs();
    std::unique_lock lock(mutex_);
    hanging_ = hang_;
    changed_.notify_all();
    changed_.wait(lock, [this] { return !hang_ || release_; });
  }
  void Hang() { Set(hang_); }
  void Release() { Set(release_); }
  bool WaitHanging() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, 5s, [this] { return hanging_; });
  }

 private:
  void Set(bool& flag) {
    std::lock_guard lock(mutex_);
    flag = true;
    changed_.notify_all();
  }
  SteadyRunnerClock real_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool hang_ = false, release_ = false, hanging_ = false;
};

bool WaitEnded(const RunnerThread& runner) {
  for (int i = 0; i < 5000 && !runner.Ended(); ++i) std::this_thread::sleep_for(1ms);
  return runner.Ended();
}

TEST(RunnerThread, FullStepPostsItsRampAndStepDone) {
  EventLog log;
  auto runner = RunnerThread::Launch(300, 1000, 1600, 3, log.Poster());
  ASSERT_NE(runner, nullptr);
  ASSERT_TRUE(WaitEnded(*runner));
  EXPECT_TRUE(runner->Stop());
  const std::vector<RunnerReport> events = log.Events();
  ASSERT_GE(events.size(), 4u);
  EXPECT_EQ(events.front().kind, Kind::SliderPosition);
  EXPECT_EQ(events.front().position, 500);
  EXPECT_EQ(events.back().kind, Kind::StepDone);
  for (const RunnerReport& e : events) EXPECT_EQ(e.generation, 3u);
}

TEST(RunnerThread, StopMidStepEndsTheThreadWithoutStepDone) {
  EventLog log;
  auto runner = RunnerThread::Launch(60000, 1000, 2000, 1, log.Poster());
  ASSERT_NE(runner, nullptr);
  std::this_thread::sleep_for(150ms);
  EXPECT_TRUE(runner->Stop());  // ended within the bound, joined
  EXPECT_TRUE(runner->Ended());
  EXPECT_EQ(log.Count(Kind::StepDone), 0);
  EXPECT_TRUE(runner->Stop());  // again: nothing more to do
}

TEST(RunnerThread, RunnerThatDoesNotEndIsLetGoAndSilenced) {
  EventLog log;
  auto clock = std::make_shared<HangingClock>();
  auto runner = RunnerThread::Launch(200, 1000, 2000, 1, log.Poster(), clock);
  ASSERT_NE(runner, nullptr);
  clock->Hang();
  ASSERT_TRUE(clock->WaitHanging());
  const size_t before = log.Events().size();
  EXPECT_FALSE(runner->Stop(20ms));  // did not end in time: detached
  clock->Release();
  ASSERT_TRUE(WaitEnded(*runner));
  EXPECT_EQ(log.Events().size(), before);  // its closing countdown went nowhere
}

TEST(RunnerThread, AThreadThatCannotBeCreatedGivesNoRunner) {
  EventLog log;
  test::NoNewThreads noThreads;
  ASSERT_TRUE(noThreads.ok);
  EXPECT_EQ(RunnerThread::Launch(1000, 1000, 2000, 1, log.Poster()), nullptr);
  EXPECT_TRUE(log.Events().empty());
}

TEST(RunnerThread, DestroyingALiveRunnerStopsIt) {
  EventLog log;
  auto runner = RunnerThread::Launch(60000, 1000, 0, 1, log.Poster());
  ASSERT_NE(runner, nullptr);
  runner.reset();
  const size_t after = log.Events().size();
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(log.Events().size(), after);
  EXPECT_EQ(log.Count(Kind::StepDone), 0);
}

}  // namespace
}  // namespace vm
