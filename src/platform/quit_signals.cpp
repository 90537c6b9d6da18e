#include "platform/quit_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

namespace vm {
namespace {

// Set before the handlers are installed; lock-free, so the handler may read it.
std::atomic<int> quitPipeWriteEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

// Anything more than a write here could deadlock or corrupt: the main thread does the rest.
void OnQuitSignal(int) {
  const int savedErrno = errno;
  const char byte = 1;
  // A full pipe already holds a request to end; the byte is not needed then.
  [[maybe_unused]] const ssize_t written = ::write(quitPipeWriteEnd.load(), &byte, 1);
  errno = savedErrno;
}

}  // namespace

int InstallQuitSignalPipe() {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
  quitPipeWriteEnd.store(ends[1]);
  struct sigaction action {};
  action.sa_handler = OnQuitSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    if (::sigaction(signal, &action, nullptr) != 0) return -1;
  }
  return ends[0];
}

}  // namespace vm
