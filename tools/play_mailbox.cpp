#include "play_mailbox.h"

#include <fcntl.h>
#include <unistd.h>

namespace vm::play {

RunnerMailbox::RunnerMailbox() {
  int ends[2];
  if (::pipe2(ends, O_NONBLOCK | O_CLOEXEC) != 0) return;
  wakeRead_ = ends[0];
  wakeWrite_ = ends[1];
}

RunnerMailbox::~RunnerMailbox() {
  if (wakeRead_ >= 0) ::close(wakeRead_);
  if (wakeWrite_ >= 0) ::close(wakeWrite_);
}

void RunnerMailbox::Post(const RunnerReport& report) {
  std::lock_guard lock(mutex_);
  reports_.push_back(report);
  // A full pipe wakes the loop already; nothing is lost when this write fails.
  const char byte = 'e';
  [[maybe_unused]] const ssize_t written = ::write(wakeWrite_, &byte, 1);
}

std::vector<RunnerReport> RunnerMailbox::Take() {
  char bytes[256];
  while (::read(wakeRead_, bytes, sizeof bytes) > 0) {}
  std::lock_guard lock(mutex_);
  std::vector<RunnerReport> taken;
  taken.swap(reports_);
  return taken;
}

}  // namespace vm::play
