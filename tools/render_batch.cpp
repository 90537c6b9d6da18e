// velomira-render --batch FILE.rbt [--teeth P --missing M --position camshaft|crankshaft]
//     [--exact-speed] [--cam ANGLE[:WIDTH]] [--loop N] [--device-rate HZ] --out FILE.wav
// The sound of a batch run as the card receives it: the runner's ramp and ticks on an ideal
// clock (every tick exactly 100 ms apart), the slider's range, the RPM's playback rate,
// from the first step's start to the end of the last pass, where the run stops the sound.
// Without a wheel, the program's default wheel (46 + 2, camshaft).

#include "render_batch.h"

#include <algorithm>

#include "batch/batch_file_io.h"
#include "batch/ideal_run.h"
#include "batch/rpm_slider.h"
#include "render_args.h"
#include "signal/cam_signal.h"
#include "signal/exact_rate.h"
#include "signal/render_schedule.h"
#include "signal/wave_image.h"
#include "signal/wave_reader.h"
#include "speed_limit.h"

namespace vm::render {
namespace {

// A WAV file holds under 4 GiB; six hours of 16-bit stereo at 48000 Hz is about 4 GB.
constexpr uint64_t kMaxRunMs = 6ull * 3600 * 1000;

// The output frame at which a moment of the run falls, counted from the start.
uint64_t FrameAt(uint64_t ms, int32_t deviceRate) { return ms * static_cast<uint64_t>(deviceRate) / 1000; }

std::vector<RateSegment> RateSegments(const IdealRun& run, const WheelConfig& wheel, int32_t deviceRate) {
  std::vector<RateSegment> segments;
  for (size_t i = 0; i < run.moves.size(); ++i) {
    const uint64_t end = i + 1 < run.moves.size() ? run.moves[i + 1].atMs : run.lengthMs;
    const uint64_t frames = FrameAt(end, deviceRate) - FrameAt(run.moves[i].atMs, deviceRate);
    const int32_t position = std::clamp(run.moves[i].position, kRpmSliderMinimum, kRpmSliderMaximum);
    // Within the slider's range the numerator stays far below 2^31.
    const RateFraction rate = SignalPlaybackRate(wheel, static_cast<int32_t>(RpmOfSliderPosition(position)));
    const auto numerator = static_cast<int32_t>(rate.numerator);
    const auto denominator = static_cast<int32_t>(rate.denominator);
    if (frames == 0) continue;
    if (!segments.empty() && segments.back().rate == numerator && segments.back().denominator == denominator)
      segments.back().frames += frames;
    else segments.push_back({numerator, frames, denominator});
  }
  return segments;
}

bool ReadBatchWheel(const Options& options, WheelConfig& wheel, std::string& error) {
  wheel = WheelConfig{"no name", 46, 2, Camshaft, {}};
  if (!options.Has("--teeth") && !options.Has("--missing") && !options.Has("--position")) return true;
  return ReadWheel(options, wheel, error);
}

}  // namespace

int RenderBatchCommand(const std::vector<std::string>& args) {
  std::string error;
  const auto options = Options::Parse(
      args,
      {"--batch", "--teeth", "--missing", "--position", "--exact-speed", "--cam", "--loop", "--device-rate", "--out"},
      error);
  WheelConfig wheel;
  int64_t passes = 1;
  int32_t deviceRate = 0;
  if (!options || !RequireOptions(*options, {"--batch", "--out"}, error) || !ReadBatchWheel(*options, wheel, error) ||
      !ReadSignalOptions(*options, wheel.Signal, error) ||
      (options->Has("--loop") && !ReadInteger(*options, "--loop", 1, 1000000, passes, error)) ||
      !ReadDeviceRate(*options, deviceRate, error))
    return Fail(error);
  const std::string batchPath = options->Value("--batch");
  const auto rows = LoadBatchFile(batchPath);
  if (!rows) return Fail("--batch: cannot read " + batchPath, kFailed);
  if (rows->empty()) return Fail("--batch: " + batchPath + " holds no steps", kFailed);
  if (IdealRunLength(*rows, static_cast<uint64_t>(passes)) > kMaxRunMs)
    return Fail("--batch: the run lasts longer than 6 hours, too long for one WAV file");
  if (const auto tooFast = BatchSpeedLimitError(wheel, *rows, deviceRate)) return Fail("--batch: " + *tooFast);
  const auto image = BuildSignalImage(wheel);
  if (!image || !ReadWaveImage(*image)) return Fail("--teeth/--missing: " + NoImageMessage(wheel));
  const std::vector<RateSegment> segments = RateSegments(RunIdeally(*rows, static_cast<uint64_t>(passes)), wheel,
                                                         deviceRate);
  if (segments.empty()) return Fail("--batch: the run is shorter than one output frame", kFailed);
  const std::string out = options->Value("--out");
  if (!RenderScheduleToWav(out, *image, deviceRate, segments, error))
    return Fail("--out: " + out + ": " + error, kFailed);
  return 0;
}

}  // namespace vm::render
