#include "platform/quit_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

namespace vm {
namespace {

int readEnd = -1;
volatile sig_atomic_t writeEnd = -1;

// Only async-signal-safe calls: one write, with errno kept for the code it interrupted.
// A full pipe already holds a request, so a write that fails loses nothing.
void OnQuitSignal(int) {
  const int saved = errno;
  const char byte = 'q';
  [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
  errno = saved;
}

}  // namespace

int InstallQuitSignalPipe() {
  if (readEnd >= 0) return readEnd;
  int ends[2];
  if (::pipe2(ends, O_NONBLOCK | O_CLOEXEC) != 0) return -1;
  writeEnd = ends[1];
  struct sigaction action {};
  action.sa_handler = OnQuitSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    if (::sigaction(signal, &action, nullptr) != 0) return -1;
  }
  readEnd = ends[0];
  return readEnd;
}

}  // namespace vm
