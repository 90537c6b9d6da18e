#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

extern char** environ;

namespace vm::test {
namespace {

std::vector<std::string> Environment(const std::map<std::string, std::string>& changes) {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    if (changes.count(text.substr(0, text.find('='))) == 0) entries.push_back(text);
  }
  for (const auto& [name, value] : changes)
    if (!value.empty()) entries.push_back(name + "=" + value);
  return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::map<std::string, std::string>& environment, const ChildStreams& streams) {
  int in[2], out[2], err[2];
  if (::pipe(in) != 0 || ::pipe(err) != 0) return;
  if (streams.terminalOutput ? ::openpty(&out[0], &out[1], nullptr, nullptr, nullptr) != 0 : ::pipe(out) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!streams.inputFile.empty()) posix_spawn_file_actions_addopen(&actions, 0, streams.inputFile.c_str(), O_RDONLY, 0);
  else if (!streams.closeInput) posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  if (!streams.closeOutput) posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) posix_spawn_file_actions_addclose(&actions, fd);
  if (streams.closeInput) posix_spawn_file_actions_addclose(&actions, 0);
  if (streams.closeOutput) posix_spawn_file_actions_addclose(&actions, 1);
  std::vector<std::string> argv = {program};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<std::string> env = Environment(environment);
  if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, Pointers(argv).data(), Pointers(env).data()) != 0)
    pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  in_ = in[1];
  outFd_ = out[0];
  errFd_ = err[0];
  ::signal(SIGPIPE, SIG_IGN);  // a child that has ended must not end the test with it
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && status_ < 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  for (int fd : {in_, outFd_, errFd_})
    if (fd >= 0) ::close(fd);
}

void ChildProcess::Send(const std::string& text) {
  std::string_view rest = text;
  while (!rest.empty()) {
    const ssize_t written = ::write(in_, rest.data(), rest.size());
    if (written <= 0) return;
    rest.remove_prefix(static_cast<size_t>(written));
  }
}

// Reads whatever both streams hold, waiting at most `timeoutMs` for the first bytes.
void ChildProcess::Drain(int timeoutMs) {
  pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};  // a closed one (-1) is skipped
  if (::poll(fds, 2, timeoutMs) <= 0) return;
  char bytes[65536];
  for (int i = 0; i < 2; ++i) {
    if ((fds[i].revents & (POLLIN | POLLHUP)) == 0) continue;
    const ssize_t count = ::read(fds[i].fd, bytes, sizeof bytes);
    if (count > 0) (i == 0 ? out_ : err_).append(bytes, static_cast<size_t>(count));
  }
}

std::string ChildProcess::ReadLine(std::chrono::milliseconds timeout) {
  const auto until = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const size_t end = out_.find('\n', lineStart_);
    if (end != std::string::npos) {
      std::string line = out_.substr(lineStart_, end - lineStart_);
      lineStart_ = end + 1;
      return line;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    if (left.count() <= 0) return {};
    Drain(static_cast<int>(left.count()));
  }
}

void ChildProcess::Signal(int signal) { ::kill(pid_, signal); }

void ChildProcess::CloseOutput() {
  if (outFd_ >= 0) ::close(outFd_);
  outFd_ = -1;
}

bool ChildProcess::EndsWithin(std::chrono::milliseconds timeout) {
  const auto until = std::chrono::steady_clock::now() + timeout;
  while (status_ < 0 && ::waitpid(pid_, &status_, WNOHANG) == 0) {
    status_ = -1;
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

int ChildProcess::Wait(std::chrono::milliseconds timeout) {
  if (in_ >= 0) ::close(in_);  // the end of its input
  in_ = -1;
  const auto until = std::chrono::steady_clock::now() + timeout;
  int status = status_;
  while (status < 0 && ::waitpid(pid_, &status, WNOHANG) == 0) {
    status = -1;
    if (std::chrono::steady_clock::now() > until) return -1;
    Drain(1);
  }
  pid_ = -1;
  for (int i = 0; i < 100; ++i) Drain(0);  // what is left in the pipes
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace vm::test
