#pragma once
// The private PulseAudio server of scripts/pulse.sh as tests and benchmarks use it: its
// tools run as child processes, and a sink's monitor is recorded through parec.

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vm::test {

// Runs a shell command; true when it exits with 0. Its output goes to `output` if given.
bool RunCommand(const std::string& command, std::string* output = nullptr);

// A server answers and `sink` becomes its default output.
bool UsePulseSink(const std::string& sink);

// Records what a sink plays, from its monitor, at the sink's own rate (16-bit stereo).
class MonitorRecording {
 public:
  using Clock = std::chrono::steady_clock;

  // Starts parec and waits until its first frames arrive; Recording() is false if none did.
  // `latency` is the recording's: on PipeWire the shortest latency asked sets the server's
  // cycle for every client of the sink.
  MonitorRecording(const std::string& sink, int32_t rate,
                   std::chrono::milliseconds latency = std::chrono::milliseconds(5));
  ~MonitorRecording();  // stops parec
  MonitorRecording(const MonitorRecording&) = delete;
  MonitorRecording& operator=(const MonitorRecording&) = delete;

  bool Recording() const { return pid_ > 0 && Frames() > 0; }
  size_t Frames() const;
  // The interleaved samples recorded so far.
  std::vector<int16_t> Samples() const;
  // When frame 0 was played, on the steady clock: the earliest arrival of a frame less the
  // frames before it, so at most a read's delay late.
  Clock::time_point FrameZero() const;
  // The frame that plays at `time`, by FrameZero().
  double FrameAt(Clock::time_point time) const;
  int32_t Rate() const { return rate_; }

 private:
  void Read();

  int32_t rate_;
  int pid_ = -1;
  int pipe_ = -1;
  std::thread reader_;
  mutable std::mutex mutex_;
  std::vector<int16_t> samples_;
  Clock::duration zero_ = Clock::duration::max();
};

}  // namespace vm::test
