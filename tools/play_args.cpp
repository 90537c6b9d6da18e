#include "play_args.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "config/wheel_config_file.h"
#include "pattern_args.h"
#include "render_args.h"

namespace vm::play {
namespace {

using render::Options;

// Options without a value; every other option is "--name value".
constexpr std::array<std::string_view, 3> kFlags = {"--control", "--help", "--list-patterns"};

// Takes the flags out, so that the shared parser sees only "--name value" pairs. Only
// option places count: a file called "--control" is still a value.
std::vector<std::string> TakeFlags(const std::vector<std::string>& args, std::vector<std::string>& flags,
                                   std::string& error) {
  std::vector<std::string> pairs;
  for (size_t i = 0; i < args.size(); ++i) {
    const bool flag = std::find(kFlags.begin(), kFlags.end(), args[i]) != kFlags.end();
    if (!flag) {
      pairs.push_back(args[i]);
      if (i + 1 < args.size()) pairs.push_back(args[++i]);
      continue;
    }
    if (std::find(flags.begin(), flags.end(), args[i]) != flags.end()) error = args[i] + ": given twice";
    flags.push_back(args[i]);
  }
  return pairs;
}

bool ReadPlayWheel(const Options& options, PlayArgs& play, std::string& error) {
  play.wheel = DefaultWheelConfig();
  if (options.Has("--pattern")) {
    play.pattern = options.Value("--pattern");
    if (const auto beside = render::WheelOptionBesidePattern(options)) error = *beside;
    return error.empty();
  }
  const bool any = options.Has("--teeth") || options.Has("--missing") || options.Has("--position");
  if (options.Has("--config")) {
    play.configPath = options.Value("--config");
    if (any) error = "--config: give either --config or --teeth, --missing and --position";
    return !any;
  }
  return !any || render::ReadWheel(options, play.wheel, error);
}

bool Check(bool good, const char* message, std::string& error) {
  if (!good) error = message;
  return good;
}

// Which options go together.
bool CheckCombination(const Options& options, bool control, std::string& error) {
  const bool rpm = options.Has("--rpm");
  const bool batch = options.Has("--batch");
  return Check(!(rpm && batch), "--rpm and --batch: give one of them", error) &&
         Check(!(control && batch), "--control: not with --batch", error) &&
         Check(rpm || batch || control, "--rpm, --batch or --control: one of them is needed", error) &&
         Check(batch || !options.Has("--loop"), "--loop: only with --batch", error) &&
         Check(!(options.Has("--revolutions") && options.Has("--seconds")),
               "--revolutions and --seconds: give one of them", error);
}

bool ReadCount(const Options& options, const char* name, int64_t maximum, uint64_t& count, std::string& error) {
  if (!options.Has(name)) return true;
  int64_t value = 0;
  if (!render::ReadInteger(options, name, 1, maximum, value, error)) return false;
  count = static_cast<uint64_t>(value);
  return true;
}

bool ReadAmounts(const Options& options, PlayArgs& play, std::string& error) {
  if (options.Has("--rpm") && !render::ReadInteger(options, "--rpm", 1, kMaxRpm, play.rpm, error)) return false;
  if (options.Has("--seconds") && !render::ReadSeconds(options, "--seconds", play.seconds, error, kMaxSeconds))
    return false;
  play.batchPath = options.Value("--batch");
  return ReadCount(options, "--loop", kMaxPasses, play.passes, error) &&
         ReadCount(options, "--revolutions", kMaxRevolutions, play.revolutions, error);
}

}  // namespace

std::optional<PlayArgs> ParsePlayArgs(const std::vector<std::string>& args, std::string& error) {
  std::vector<std::string> flags;
  const std::vector<std::string> pairs = TakeFlags(args, flags, error);
  if (!error.empty()) return std::nullopt;
  PlayArgs play;
  play.help = std::find(flags.begin(), flags.end(), "--help") != flags.end();
  play.control = std::find(flags.begin(), flags.end(), "--control") != flags.end();
  play.listPatterns = std::find(flags.begin(), flags.end(), "--list-patterns") != flags.end();
  if (play.help) return play;
  if (play.listPatterns && args.size() != 1) {
    error = "--list-patterns: takes no other option";
    return std::nullopt;
  }
  if (play.listPatterns) return play;
  const auto options = Options::Parse(
      pairs,
      {"--teeth", "--missing", "--position", "--config", "--rpm", "--batch", "--loop", "--revolutions", "--seconds",
       "--exact-speed", "--cam", "--pattern", "--cam-phase"},
      error);
  if (!options || !ReadPlayWheel(*options, play, error) || !CheckCombination(*options, play.control, error) ||
      !ReadAmounts(*options, play, error) || !render::ReadSignalOptions(*options, play.signal, error) ||
      !render::ReadCamPhase(*options, play.camPhase, error))
    return std::nullopt;
  play.exactSpeedGiven = options->Has("--exact-speed");
  play.camGiven = options->Has("--cam");
  play.camPhaseGiven = options->Has("--cam-phase");
  return play;
}

}  // namespace vm::play
