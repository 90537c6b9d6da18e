#include "play_output.h"

#include <limits.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vm::play {

void StandardOutput::Put(std::string_view text) {
  backlog_.append(text);
  Flush();
}

bool StandardOutput::Flush() {
  while (!Failed() && Pending()) {
    pollfd fd{STDOUT_FILENO, POLLOUT, 0};
    if (::poll(&fd, 1, 0) <= 0 || fd.revents == 0) return true;
    // Writable means room for PIPE_BUF bytes at least: a write of no more never blocks,
    // even where the output was not opened non-blocking (which would change it for every
    // process sharing it, the shell's terminal among them).
    const size_t size = std::min<size_t>(backlog_.size() - written_, PIPE_BUF);
    const ssize_t count = ::write(STDOUT_FILENO, backlog_.data() + written_, size);
    if (count < 0 && (errno == EAGAIN || errno == EINTR)) return true;
    if (count <= 0) {
      error_ = count < 0 ? errno : EIO;
      return false;
    }
    written_ += static_cast<size_t>(count);
  }
  if (!Pending() || written_ >= kAnswerBacklogBytes) {  // what is out is let go
    backlog_.erase(0, written_);
    written_ = 0;
  }
  return !Failed();
}

std::string StandardOutput::reason() const { return std::strerror(error_); }

}  // namespace vm::play
