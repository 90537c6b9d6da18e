#include "batch/run_step.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace vm {
namespace {

constexpr int32_t kTickMs = 100;

// Signed distance from `from` to `to` on the wrapping 32-bit clock.
int32_t ClockDiff(uint32_t to, uint32_t from) { return static_cast<int32_t>(to - from); }

// Whether a step of `durationMs` begun at `startMs` has run its time at `nowMs`. The time is
// counted unsigned from the start, so the clock's wrap changes nothing, and a negative duration
// ends at the first test like every other (not 24.8 days on, where the wrapping compare of
// the end time would put the two most negative ones).
bool TimeUp(uint32_t nowMs, uint32_t startMs, int32_t durationMs) {
  return durationMs <= 0 || nowMs - startMs >= static_cast<uint32_t>(durationMs);
}

int32_t WrapAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

int32_t WrapSub(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

class StepPoster {
 public:
  StepPoster(RunnerSink& sink, uint32_t generation) : sink_(sink), generation_(generation) {}

  void Slider(int32_t position) { Post({RunnerReport::Kind::SliderPosition, position, {}, generation_}); }
  void Countdown(std::string text) { Post({RunnerReport::Kind::Countdown, 0, std::move(text), generation_}); }
  void Done() { Post({RunnerReport::Kind::StepDone, 0, {}, generation_}); }

 private:
  void Post(const RunnerReport& report) { sink_.Report(report); }

  RunnerSink& sink_;
  uint32_t generation_;
};

}  // namespace

std::string FormatCountdown(int32_t ms) {
  const float seconds = static_cast<float>(ms) / 1000.0f;
  // to_chars rounds as printf does but never takes the locale's decimal comma, which the
  // toolkit sets from the user's environment.
  char text[32];
  const auto written = std::to_chars(text, text + sizeof text, seconds, std::chars_format::fixed, 1);
  return std::string(text, written.ptr) + "s";
}

float RampIncrement(int32_t durationMs, int32_t rpm1, int32_t rpm2) {
  // A zero duration would divide by zero; such a step ends before its first tick anyway.
  if (rpm2 == 0 || durationMs == 0) return 0.0f;
  const double change = static_cast<double>(rpm2) - static_cast<double>(rpm1);
  return static_cast<float>(change * kTickMs / static_cast<double>(durationMs));
}

int32_t RampSliderPosition(float rpm) {
  const float half = std::nearbyint(rpm / 2.0f);  // the default rounding: halves to even
  // Beyond the 32-bit range the slider would clamp anyway; converting would be undefined.
  if (!(half > static_cast<float>(std::numeric_limits<int32_t>::min()))) return std::numeric_limits<int32_t>::min();
  if (!(half < static_cast<float>(std::numeric_limits<int32_t>::max()))) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(half);
}

int RunStep(const RunnerJob& job, RunnerClock& clock, RunnerSink& sink) {
  StepPoster post(sink, job.generation.load());
  const int32_t rpm1 = job.rpm1.load();
  const float increment = RampIncrement(job.durationMs.load(), rpm1, job.rpm2.load());
  const uint32_t startMs = clock.NowMs();
  const int32_t durationMs = job.durationMs.load();
  post.Slider(rpm1 / 2);
  post.Countdown(FormatCountdown(job.durationMs.load()));
  uint32_t nextTickMs = startMs + kTickMs;
  float rpm = static_cast<float>(rpm1);
  int32_t elapsedMs = 0;
  for (;;) {
    clock.SleepOneMs();
    const int32_t lateness = ClockDiff(clock.NowMs(), nextTickMs);
    if (lateness >= 0) {
      // Due times move back by the lateness, so a late tick is made up by an earlier next one.
      elapsedMs = WrapAdd(elapsedMs, kTickMs - lateness);
      post.Countdown(FormatCountdown(WrapSub(job.durationMs.load(), elapsedMs)));
      if (increment != 0.0f) {
        rpm += increment;
        post.Slider(RampSliderPosition(rpm));
      }
      nextTickMs += static_cast<uint32_t>(kTickMs - lateness);
    }
    if (TimeUp(clock.NowMs(), startMs, durationMs) || job.stop.load() != 0) break;
  }
  post.Countdown({});
  if (job.stop.load() == 0) post.Done();
  return 0;
}

}  // namespace vm
