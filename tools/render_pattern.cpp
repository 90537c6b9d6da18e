#include "render_pattern.h"

#include <cmath>
#include <cstdio>
#include <string_view>

#include "pattern/pattern_picture.h"
#include "pattern/picture_svg.h"
#include "pattern_args.h"
#include "platform/atomic_file.h"
#include "render_args.h"
#include "signal/loop_resampler.h"
#include "signal/render_schedule.h"
#include "speed_limit.h"

namespace vm::render {
namespace {

constexpr int64_t kMaxRpm = 300000;

int WriteFile(const char* option, const std::string& path, std::string_view bytes) {
  std::string failure;
  if (!ReplaceFile(path, bytes, &failure))
    return Fail(std::string(option) + ": cannot write " + path + ": " + failure, kFailed);
  return 0;
}

int WriteRendering(const Options& options, const Pattern& pattern) {
  std::string error;
  int64_t rpm = 0;
  double seconds = 0;
  int32_t deviceRate = 0;
  int32_t camPhase = 0;
  if (!RequireOptions(options, {"--rpm", "--seconds"}, error) ||
      !ReadInteger(options, "--rpm", 1, kMaxRpm, rpm, error) || !ReadSeconds(options, "--seconds", seconds, error) ||
      !ReadCamPhase(options, camPhase, error) || !ReadDeviceRate(options, deviceRate, error))
    return Fail(error);
  const auto sound = BuildToolPatternSound(pattern, deviceRate, rpm);  // only this RPM plays
  if (!sound) return Fail("--pattern: not enough memory for its sound", kFailed);
  if (options.Has("--cam-phase") && !pattern.hasCam) return Fail("--cam-phase: the pattern has no cam track to move");
  if (const auto tooFast = SpeedLimitError(*sound, rpm, deviceRate, kMaxRpm)) return Fail("--rpm: " + *tooFast);
  const RateFraction rate = PatternPlaybackRate(*sound, rpm);  // within kMaxPlaybackRate × 120: fits
  const auto frames = static_cast<uint64_t>(std::llround(seconds * deviceRate));
  RateSegment segment{static_cast<int32_t>(rate.numerator), std::max<uint64_t>(frames, 1),
                      static_cast<int32_t>(rate.denominator)};
  segment.camPhase = CamPhaseUnitsOf(camPhase, sound->revolutions * 360);
  const std::string path = options.Value("--out");
  if (!RenderScheduleToWav(path, sound->image, deviceRate, {&segment, 1}, error))
    return Fail("--out: " + path + ": " + error, kFailed);
  return 0;
}

}  // namespace

int RenderPatternCommand(const std::vector<std::string>& args) {
  std::string error;
  const auto options = Options::Parse(
      args,
      {"--pattern", "--image", "--picture", "--out", "--rpm", "--seconds", "--exact-speed", "--cam-phase",
       "--device-rate", "--teeth", "--missing", "--position", "--cam", "--batch"},
      error);
  if (!options) return Fail(error);
  if (const auto beside = WheelOptionBesidePattern(*options)) return Fail(*beside);
  if (options->Has("--batch")) return Fail("--batch: not with --pattern (velomira-play plays a batch with one)");
  const int outputs = options->Has("--image") + options->Has("--picture") + options->Has("--out");
  if (outputs != 1) return Fail("--image, --picture or --out: give one of them");
  Pattern pattern;
  if (!ReadPatternArgument(options->Value("--pattern"), pattern, error)) return Fail("--pattern: " + error);
  if (options->Has("--out")) return WriteRendering(*options, pattern);
  for (const char* name : {"--rpm", "--seconds", "--exact-speed", "--cam-phase", "--device-rate"})
    if (options->Has(name)) return Fail(std::string(name) + ": only with --out");
  if (options->Has("--picture"))
    return WriteFile("--picture", options->Value("--picture"), PictureSvg(DrawPattern(pattern)));
  const auto sound = BuildToolPatternSound(pattern, kDefaultDeviceRate, kMaxRpm);
  if (!sound) return Fail("--pattern: not enough memory for its sound", kFailed);
  const std::string_view bytes(reinterpret_cast<const char*>(sound->image.data()), sound->image.size());
  return WriteFile("--image", options->Value("--image"), bytes);
}

int ListPatternsCommand(const std::vector<std::string>& args) {
  if (args.size() != 1) return Fail("--list-patterns: takes no other option");
  const std::string listing = PatternListing();
  std::fwrite(listing.data(), 1, listing.size(), stdout);
  return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : Fail("cannot write the listing", kFailed);
}

}  // namespace vm::render
