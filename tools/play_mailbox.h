#pragma once
// What the runner threads post to velomira-play's main loop: a queue, and a byte on a pipe
// that wakes the loop's poll(). A post never waits for the main thread beyond the queue's
// short lock, as the runner requires.

#include <mutex>
#include <vector>

#include "platform/toolkit.h"

namespace vm::play {

class RunnerMailbox {
 public:
  RunnerMailbox();
  ~RunnerMailbox();
  RunnerMailbox(const RunnerMailbox&) = delete;
  RunnerMailbox& operator=(const RunnerMailbox&) = delete;

  bool Ready() const { return wakeRead_ >= 0; }
  int WakeDescriptor() const { return wakeRead_; }  // readable while events wait
  void Post(const Event& event);                    // any thread
  std::vector<Event> Take();                        // main thread: every event, in order

 private:
  std::mutex mutex_;
  std::vector<Event> events_;
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
};

}  // namespace vm::play
