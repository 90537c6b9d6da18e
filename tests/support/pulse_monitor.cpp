#include "support/pulse_monitor.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

extern char** environ;

namespace vm::test {

bool RunCommand(const std::string& command, std::string* output) {
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return false;
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
    if (output != nullptr) output->append(buffer, got);
  }
  return pclose(pipe) == 0;
}

bool UsePulseSink(const std::string& sink) {
  return RunCommand("pactl info >/dev/null") && RunCommand("pactl set-default-sink " + sink);
}

MonitorRecording::MonitorRecording(const std::string& sink, int32_t rate, std::chrono::milliseconds latency)
    : rate_(rate) {
  int fds[2];
  if (pipe(fds) != 0) return;
  const std::string device = "--device=" + sink + ".monitor";
  const std::string rateArg = "--rate=" + std::to_string(rate);
  const std::string latencyArg = "--latency-msec=" + std::to_string(latency.count());
  const char* argv[] = {"parec",        "--raw", "--format=s16le", "--channels=2", rateArg.c_str(), latencyArg.c_str(),
                        device.c_str(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addclose(&actions, fds[1]);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, "parec", &actions, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (spawned != 0) {
    close(fds[0]);
    return;
  }
  pid_ = pid;
  pipe_ = fds[0];
  reader_ = std::thread([this] { Read(); });
  const auto deadline = Clock::now() + std::chrono::seconds(3);
  while (Frames() == 0 && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

MonitorRecording::~MonitorRecording() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);  // the pipe then ends and the reader with it
  reader_.join();
  close(pipe_);
}

void MonitorRecording::Read() {
  std::vector<int16_t> chunk(4096);
  size_t pending = 0;  // bytes of a sample split across reads
  for (;;) {
    auto* bytes = reinterpret_cast<char*>(chunk.data());
    const ssize_t got = read(pipe_, bytes + pending, chunk.size() * 2 - pending);
    if (got <= 0) return;
    const auto arrived = Clock::now().time_since_epoch();
    const size_t total = pending + static_cast<size_t>(got);
    const size_t whole = total / 2;
    const std::lock_guard lock(mutex_);
    samples_.insert(samples_.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(whole));
    const auto frames = static_cast<double>(samples_.size() / 2);
    const auto before = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(frames / rate_));
    if (arrived - before < zero_) zero_ = arrived - before;
    pending = total % 2;
    if (pending != 0) bytes[0] = bytes[total - 1];
  }
}

size_t MonitorRecording::Frames() const {
  const std::lock_guard lock(mutex_);
  return samples_.size() / 2;
}

std::vector<int16_t> MonitorRecording::Samples() const {
  const std::lock_guard lock(mutex_);
  return {samples_.begin(), samples_.begin() + static_cast<std::ptrdiff_t>(samples_.size() / 2 * 2)};
}

MonitorRecording::Clock::time_point MonitorRecording::FrameZero() const {
  const std::lock_guard lock(mutex_);
  return Clock::time_point(zero_);
}

double MonitorRecording::FrameAt(Clock::time_point time) const {
  return std::chrono::duration<double>(time - FrameZero()).count() * rate_;
}

}  // namespace vm::test
