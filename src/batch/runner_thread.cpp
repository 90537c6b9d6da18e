#include "batch/runner_thread.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>

namespace vm {

// Owned jointly by the thread and its handle, so a detached thread still has it.
struct RunnerThread::Shared {
  RunnerJob job;
  std::shared_ptr<RunnerClock> clock;
  std::mutex mutex;
  std::condition_variable endedSignal;
  bool ended = false;  // guarded by mutex
  PostFunction post;   // guarded by mutex; emptied when the runner is let go
};

namespace {

std::atomic<int> liveThreads{0};
std::atomic<int> peakLiveThreads{0};

void CountThreadIn() {
  const int now = ++liveThreads;
  int peak = peakLiveThreads.load();
  while (now > peak && !peakLiveThreads.compare_exchange_weak(peak, now)) {}
}

// Posts under the lock, so once the main thread has emptied `post` no post is in flight.
class GatedSink final : public RunnerSink {
 public:
  GatedSink(std::mutex& mutex, RunnerThread::PostFunction& post) : mutex_(mutex), post_(post) {}
  void Report(const RunnerReport& report) override {
    std::lock_guard lock(mutex_);
    if (post_) post_(report);
  }

 private:
  std::mutex& mutex_;
  RunnerThread::PostFunction& post_;
};

}  // namespace

uint32_t SteadyRunnerClock::NowMs() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  // Only the low 32 bits: comparisons are made on differences, which wrap by definition.
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void SteadyRunnerClock::SleepOneMs() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

std::unique_ptr<RunnerThread> RunnerThread::Launch(int32_t durationMs, int32_t rpm1, int32_t rpm2, uint32_t generation,
                                                   PostFunction post, std::shared_ptr<RunnerClock> clock) {
  auto shared = std::make_shared<Shared>();
  shared->job.durationMs = durationMs;
  shared->job.rpm1 = rpm1;
  shared->job.rpm2 = rpm2;
  shared->job.generation = generation;
  shared->clock = clock ? std::move(clock) : std::make_shared<SteadyRunnerClock>();
  shared->post = std::move(post);
  std::unique_ptr<RunnerThread> runner(new RunnerThread());
  runner->shared_ = shared;
  try {
    runner->thread_ = std::thread([shared] {
      CountThreadIn();
      GatedSink sink(shared->mutex, shared->post);
      RunStep(shared->job, *shared->clock, sink);
      --liveThreads;
      std::lock_guard lock(shared->mutex);
      shared->ended = true;
      shared->endedSignal.notify_all();
    });
  } catch (const std::system_error&) {
    runner->stopped_ = true;  // no thread: nothing to stop, wait for or let go
    return nullptr;
  }
  return runner;
}

RunnerThread::~RunnerThread() { Stop(); }

bool RunnerThread::Stop(std::chrono::milliseconds bound) {
  if (stopped_) return endedInTime_;
  stopped_ = true;
  if (!thread_.joinable()) return endedInTime_ = true;
  shared_->job.stop = 1;
  {
    std::unique_lock lock(shared_->mutex);
    endedInTime_ = shared_->endedSignal.wait_for(lock, bound, [this] { return shared_->ended; });
    shared_->post = nullptr;
  }
  if (endedInTime_) thread_.join();
  else thread_.detach();
  return endedInTime_;
}

bool RunnerThread::Ended() const {
  std::lock_guard lock(shared_->mutex);
  return shared_->ended;
}

int RunnerThread::LiveThreads() { return liveThreads.load(); }
int RunnerThread::PeakLiveThreads() { return peakLiveThreads.load(); }

uint32_t RunnerThread::Generation() const { return shared_->job.generation.load(); }

}  // namespace vm
