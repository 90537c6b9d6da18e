#include "play_inputs.h"

#include "batch/batch_file_io.h"
#include "batch/rpm_slider.h"
#include "config/wheel_config_file.h"
#include "pattern_args.h"
#include "platform/atomic_file.h"
#include "render_args.h"
#include "signal/cam_signal.h"
#include "signal/wave_reader.h"

namespace vm::play {
namespace {

bool ReadConfig(const std::string& path, WheelConfig& wheel, std::string& error) {
  // The loader takes a file it cannot read as an empty one; a bench must not get the
  // default wheel because of a typing error.
  std::string bytes;
  if (ReadWholeFile(path, bytes) == FileAccess::None) {
    error = "--config: cannot read " + path;
    return false;
  }
  if (!HasWheelKeys(path)) {
    error = "--config: " + path +
            " is not a wheel config: it has none of the keys AvailableTeeth, MissingTeeth, "
            "WheelAt or Type under [General]";
    return false;
  }
  LoadWheelConfig(path, wheel);
  return true;
}

bool ReadRows(const std::string& path, std::vector<BatchRow>& rows, std::string& error) {
  auto read = LoadBatchFile(path);
  if (!read) error = "--batch: cannot read " + path;
  else if (read->empty()) error = "--batch: " + path + " holds no steps";
  else rows = std::move(*read);
  return error.empty();
}

bool BuildImage(const PlayArgs& args, const WheelConfig& wheel, WaveImage& image, std::string& error) {
  auto built = BuildSignalImage(wheel);
  if (built && ReadWaveImage(*built)) {
    image = std::move(*built);
    return true;
  }
  const std::string source = args.configPath.empty() ? "--teeth/--missing" : "--config: " + args.configPath;
  error = source + ": " + render::NoImageMessage(wheel);
  return false;
}

// The command line's signal options rule over those of a config file.
void TakeSignalOptions(const PlayArgs& args, SignalOptions& signal) {
  if (args.exactSpeedGiven) signal.exactSpeed = true;
  if (!args.camGiven) return;
  signal.cam = true;
  signal.camAngle = args.signal.camAngle;
  signal.camWidth = args.signal.camWidth;
}

// The output ends after whole images; a crankshaft wheel with the cam signal has two
// revolutions in one.
bool WholeImages(const PlayArgs& args, const WheelConfig& wheel, std::string& error) {
  const auto perImage = static_cast<uint64_t>(CrankRevolutionsPerImage(wheel));
  if (args.revolutions % perImage == 0) return true;
  error =
      "--revolutions: a crankshaft wheel with the cam signal turns in engine cycles of two revolutions; give an even "
      "count";
  return false;
}

bool ReadPattern(const PlayArgs& args, PlayInputs& inputs, std::string& error) {
  PatternSound sound;
  // --rpm alone plays one speed; a batch keeps to the window's range; a script may ask any.
  const int64_t top = args.control             ? kMaxRpm
                      : args.batchPath.empty() ? args.rpm
                                               : RpmOfSliderPosition(kRpmSliderMaximum);
  if (!LoadPlayPattern(*args.pattern, top, sound, error)) {
    error = "--pattern: " + error;
    return false;
  }
  if (args.revolutions % static_cast<uint64_t>(sound.revolutions) != 0) {
    error = "--revolutions: this pattern's cycle is two revolutions; give an even count";
    return false;
  }
  inputs.image = sound.image;
  inputs.pattern = std::move(sound);
  return true;
}

}  // namespace

bool LoadPlayPattern(const std::string& text, int64_t topRpm, PatternSound& sound, std::string& error) {
  Pattern pattern;
  if (!render::ReadPatternArgument(text, pattern, error)) return false;
  auto built = render::BuildToolPatternSound(pattern, render::kDefaultDeviceRate, topRpm);
  if (!built) error = "not enough memory for its sound";
  else sound = std::move(*built);
  return built.has_value();
}

bool LoadPlayInputs(const PlayArgs& args, PlayInputs& inputs, std::string& error) {
  if (args.pattern) {
    return ReadPattern(args, inputs, error) && (args.batchPath.empty() || ReadRows(args.batchPath, inputs.rows, error));
  }
  inputs.wheel = args.wheel;
  if (!args.configPath.empty() && !ReadConfig(args.configPath, inputs.wheel, error)) return false;
  TakeSignalOptions(args, inputs.wheel.Signal);
  if (!WholeImages(args, inputs.wheel, error)) return false;
  if (!args.batchPath.empty() && !ReadRows(args.batchPath, inputs.rows, error)) return false;
  return BuildImage(args, inputs.wheel, inputs.image, error);
}

}  // namespace vm::play
