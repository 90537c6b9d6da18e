#pragma once
// What the runner threads report to velomira-play's main loop: a queue, and a byte on a pipe
// that wakes the loop's poll(). A post never waits for the main thread beyond the queue's
// short lock, as the runner requires.

#include <mutex>
#include <vector>

#include "batch/run_step.h"

namespace vm::play {

class RunnerMailbox {
 public:
  RunnerMailbox();
  ~RunnerMailbox();
  RunnerMailbox(const RunnerMailbox&) = delete;
  RunnerMailbox& operator=(const RunnerMailbox&) = delete;

  bool Ready() const { return wakeRead_ >= 0; }
  int WakeDescriptor() const { return wakeRead_; }  // readable while reports wait
  void Post(const RunnerReport& report);            // any thread
  std::vector<RunnerReport> Take();                 // main thread: every report, in order

 private:
  std::mutex mutex_;
  std::vector<RunnerReport> reports_;
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
};

}  // namespace vm::play
