// velomira-render: the wheel's signal without a sound card.
//   --teeth P --missing M --position camshaft|crankshaft [--cam ANGLE[:WIDTH]] --image FILE
//       the wave image of the wheel, byte for byte as the program builds it
//   --teeth P --missing M --position camshaft|crankshaft --rpm R --seconds S
//       [--exact-speed] [--cam ANGLE[:WIDTH]] [--cam-phase DEG] [--device-rate HZ] --out FILE
//       what the sound card is handed after the tone starts at R, as a 16-bit stereo WAV
//   --batch FILE.rbt ...
//       a batch run (render_batch.cpp)
//   --pattern NAME|FILE ..., --list-patterns
//       a trigger pattern in place of the wheel (render_pattern.cpp)

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/standard_streams.h"
#include "render_args.h"
#include "render_batch.h"
#include "render_pattern.h"
#include "signal/cam_signal.h"
#include "signal/exact_rate.h"
#include "signal/loop_resampler.h"
#include "signal/render_schedule.h"
#include "signal/wave_image.h"
#include "signal/wave_reader.h"
#include "speed_limit.h"

namespace vm::render {
namespace {

constexpr const char* kUsage =
    "usage: velomira-render [--teeth P --missing M --position camshaft|crankshaft [--cam ANGLE[:WIDTH]] | "
    "--pattern NAME|FILE] (--image FILE | --picture OUT.svg | --rpm R --seconds S [--exact-speed] [--cam-phase DEG] "
    "[--device-rate HZ] --out FILE | --batch FILE.rbt ... | --list-patterns)";
constexpr int64_t kMaxRpm = 300000;
constexpr const char* kNoCamMessage = "--cam-phase: the signal has no cam to move; give --cam ANGLE";

bool BuildImage(const WheelConfig& wheel, WaveImage& image, std::string& error) {
  auto built = BuildSignalImage(wheel);
  if (!built) {
    error = "--teeth/--missing: " + NoImageMessage(wheel);
    return false;
  }
  image = std::move(*built);
  return true;
}

int WriteImage(const std::vector<std::string>& args) {
  std::string error;
  const auto options = Options::Parse(args, {"--teeth", "--missing", "--position", "--cam", "--image"}, error);
  WheelConfig wheel;
  WaveImage image;
  if (!options || !ReadWheel(*options, wheel, error) || !ReadSignalOptions(*options, wheel.Signal, error) ||
      !BuildImage(wheel, image, error))
    return Fail(error);
  const std::string path = options->Value("--image");
  const std::string_view bytes(reinterpret_cast<const char*>(image.data()), image.size());
  std::string failure;
  if (!ReplaceFile(path, bytes, &failure)) return Fail("--image: cannot write " + path + ": " + failure, kFailed);
  return 0;
}

int WriteRendering(const std::vector<std::string>& args) {
  std::string error;
  const auto options = Options::Parse(args,
                                      {"--teeth", "--missing", "--position", "--rpm", "--seconds", "--exact-speed",
                                       "--cam", "--cam-phase", "--device-rate", "--out"},
                                      error);
  WheelConfig wheel;
  WaveImage image;
  int64_t rpm = 0;
  double seconds = 0;
  int32_t deviceRate = 0;
  int32_t camPhase = 0;
  if (!options || !ReadWheel(*options, wheel, error) || !ReadSignalOptions(*options, wheel.Signal, error) ||
      !RequireOptions(*options, {"--rpm", "--seconds"}, error) ||
      !ReadInteger(*options, "--rpm", 1, kMaxRpm, rpm, error) || !ReadSeconds(*options, "--seconds", seconds, error) ||
      !ReadCamPhase(*options, camPhase, error) || !ReadDeviceRate(*options, deviceRate, error) ||
      !BuildImage(wheel, image, error))
    return Fail(error);
  if (!ReadWaveImage(image)) return Fail("--teeth/--missing: " + NoImageMessage(wheel));
  if (options->Has("--cam-phase") && !HasCamChannel(image)) return Fail(kNoCamMessage);
  if (const auto tooFast = SpeedLimitError(wheel, rpm, deviceRate, kMaxRpm)) return Fail("--rpm: " + *tooFast);
  const auto frames = static_cast<uint64_t>(std::llround(seconds * deviceRate));
  const RateFraction rate = SignalPlaybackRate(wheel, static_cast<int32_t>(rpm));
  if (rate.numerator > std::numeric_limits<int32_t>::max())
    return Fail("--rpm: the wheel gives no playable sound at this rate");
  RateSegment segment{static_cast<int32_t>(rate.numerator), std::max<uint64_t>(frames, 1),
                      static_cast<int32_t>(rate.denominator)};
  segment.camPhase = CamPhaseUnitsOf(camPhase, LoopCrankDegrees(wheel));
  const std::string path = options->Value("--out");
  if (!RenderScheduleToWav(path, image, deviceRate, {&segment, 1}, error))
    return Fail("--out: " + path + ": " + error, kFailed);
  return 0;
}

}  // namespace
}  // namespace vm::render

int main(int argc, char** argv) {
  using namespace vm::render;
  vm::OpenClosedStandardStreams();  // the file being written must not take a stream's number
  const std::vector<std::string> args(argv + 1, argv + argc);
  // Only option names count, so a file called "--out" is still a value.
  if (MentionsOption(args, "--list-patterns")) return ListPatternsCommand(args);
  if (MentionsOption(args, "--pattern")) return RenderPatternCommand(args);
  if (MentionsOption(args, "--batch")) return RenderBatchCommand(args);
  if (MentionsOption(args, "--image")) return WriteImage(args);
  if (MentionsOption(args, "--out")) return WriteRendering(args);
  if (args.empty()) return Fail(kUsage);
  // An argument that is no option (a value given to a flag) is the fault to name, not the
  // missing --image or --out it may hide.
  std::string error;
  if (!Options::Parse(args,
                      {"--teeth", "--missing", "--position", "--rpm", "--seconds", "--exact-speed", "--cam",
                       "--cam-phase", "--device-rate"},
                      error))
    return Fail(error);
  return Fail("--image or --out: one of them is needed");
}
