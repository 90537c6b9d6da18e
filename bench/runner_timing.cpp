// How late the batch runner takes its ticks: one step of --seconds (60 by default) on the
// runner's own thread, clock and 1 ms sleep, as the program runs it. For every tick the
// lateness is the time its countdown was posted minus the moment it fell due (the
// millisecond the runner's rule computed, corrected by the lateness before). Prints the
// median, 99th percentile and maximum in ms, and how far the step's end strayed.
//   velomira_runner_timing [--seconds S]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "batch/runner_thread.h"

namespace {

using Steady = std::chrono::steady_clock;

double MsSinceEpoch(Steady::time_point t) {
  return std::chrono::duration<double, std::milli>(t.time_since_epoch()).count();
}

// The runner's clock (whole milliseconds of the steady clock, as SteadyRunnerClock reads
// it), remembering its last reading so that a tick can be matched with the reading that
// made it due.
class WatchedClock final : public vm::RunnerClock {
 public:
  uint32_t NowMs() override {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now().time_since_epoch()).count();
    std::lock_guard lock(mutex);
    last = ms;
    return static_cast<uint32_t>(ms);
  }
  void SleepOneMs() override { real_.SleepOneMs(); }
  std::mutex mutex;
  int64_t last = 0;

 private:
  vm::SteadyRunnerClock real_;
};

struct Tick {
  int64_t readingMs;  // the clock reading that made the tick due
  double postedMs;    // when its countdown was posted, in steady-clock ms
};

double Percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  const size_t index = std::min(values.size() - 1,
                                static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5));
  return values[index];
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = 60;
  if (argc == 3 && std::string(argv[1]) == "--seconds") seconds = std::atoi(argv[2]);
  if (seconds <= 0) {
    std::fprintf(stderr, "usage: velomira_runner_timing [--seconds S]\n");
    return 2;
  }
  auto clock = std::make_shared<WatchedClock>();
  std::mutex mutex;
  std::vector<Tick> ticks;
  bool done = false;
  Steady::time_point end;
  auto post = [&](const vm::RunnerReport& report) {
    const Steady::time_point now = Steady::now();
    int64_t reading;
    {
      std::lock_guard lock(clock->mutex);
      reading = clock->last;
    }
    std::lock_guard lock(mutex);
    if (report.kind == vm::RunnerReport::Kind::Countdown && !report.countdown.empty())
      ticks.push_back({reading, MsSinceEpoch(now)});
    if (report.kind == vm::RunnerReport::Kind::StepDone) {
      done = true;
      end = now;
    }
  };
  const int32_t durationMs = seconds * 1000;
  const Steady::time_point start = Steady::now();
  auto runner = vm::RunnerThread::Launch(durationMs, 1000, 3000, 1, post, clock);
  if (!runner) return 1;
  while (!runner->Ended()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  runner->Stop();

  std::lock_guard lock(mutex);
  if (ticks.size() < 2 || !done) return 1;
  // The first countdown is posted at the start, not at a tick. Due times follow the
  // runner's rule from the start's reading: each next one 100 ms on, less the lateness.
  int64_t due = ticks.front().readingMs + 100;
  std::vector<double> lateness;
  for (size_t i = 1; i < ticks.size(); ++i) {
    // Due at the first moment the clock read `due`; the post follows the reading closely.
    lateness.push_back(ticks[i].postedMs - static_cast<double>(due));
    due += 100 - (ticks[i].readingMs - due);
  }
  const double stepMs = std::chrono::duration<double, std::milli>(end - start).count();
  std::printf("step %d s, %zu ticks (%d expected without lateness)\n", seconds, lateness.size(), durationMs / 100);
  std::printf("tick lateness ms: median %.3f  p99 %.3f  max %.3f\n", Percentile(lateness, 0.5),
              Percentile(lateness, 0.99), *std::max_element(lateness.begin(), lateness.end()));
  std::printf("step took %.1f ms for %d ms\n", stepMs, durationMs);
  return 0;
}
