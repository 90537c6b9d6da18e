#pragma once
// One batch step on a thread of its own, and its bounded stop. The thread never waits for
// the main thread; the main thread waits for it at most a given time, then lets it go with
// its output cut off, so a stuck runner can neither hold up the window nor act later.

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "batch/run_step.h"

namespace vm {

// The monotonic millisecond clock and the 1 ms sleep the runner polls with.
class SteadyRunnerClock final : public RunnerClock {
 public:
  uint32_t NowMs() override;
  void SleepOneMs() override;
};

class RunnerThread {
 public:
  using PostFunction = std::function<void(const RunnerReport&)>;
  static constexpr std::chrono::milliseconds kStopBound{500};

  // Starts RunStep for one step; nullptr when no thread can be created. `post` must not
  // wait for the main thread. `clock` defaults to SteadyRunnerClock.
  static std::unique_ptr<RunnerThread> Launch(int32_t durationMs, int32_t rpm1, int32_t rpm2, uint32_t generation,
                                              PostFunction post, std::shared_ptr<RunnerClock> clock = nullptr);
  ~RunnerThread();  // Stop(kStopBound) unless stopped already
  RunnerThread(const RunnerThread&) = delete;
  RunnerThread& operator=(const RunnerThread&) = delete;

  // Raises stop and waits at most `bound` for the thread to end: joined when it did,
  // detached when not. Either way nothing it posts from now on goes anywhere.
  // True when it ended in time. Idempotent.
  bool Stop(std::chrono::milliseconds bound = kStopBound);
  bool Ended() const;  // the step has returned

  uint32_t Generation() const;

  // Runner threads running now, and the most there ever were at once (for tests).
  static int LiveThreads();
  static int PeakLiveThreads();

 private:
  struct Shared;
  RunnerThread() = default;

  std::shared_ptr<Shared> shared_;
  std::thread thread_;
  bool stopped_ = false;
  bool endedInTime_ = false;
};

}  // namespace vm
