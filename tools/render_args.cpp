#include "render_args.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <new>

#include "signal/cam_signal.h"
#include "signal/loop_resampler.h"
#include "signal/loop_sound.h"
#include "signal/wave_reader.h"
#include "signal/wheel_geometry.h"

namespace vm::render {
namespace {

bool ReadDegrees(const std::string& text, int64_t minimum, int64_t maximum, int64_t& value) {
  const char* end = text.data() + text.size();
  const auto [stop, failure] = std::from_chars(text.data(), end, value);
  return !text.empty() && failure == std::errc() && stop == end && value >= minimum && value <= maximum;
}

}  // namespace

std::string Quoted(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string quoted = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') quoted += {'\\', c};
    else if (c == '\r') quoted += "\\r";
    else if (c == '\n') quoted += "\\n";
    else if (c == '\t') quoted += "\\t";
    else if (byte < 0x20 || byte >= 0x7f) quoted += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xf]};
    else quoted += c;
  }
  return quoted + "\"";
}

bool IsFlag(std::string_view name) { return name == "--exact-speed" || name == "--list-patterns"; }

bool MentionsOption(const std::vector<std::string>& args, std::string_view name) {
  for (size_t i = 0; i < args.size(); i += IsFlag(args[i]) ? 1 : 2)
    if (args[i] == name) return true;
  return false;
}

std::optional<Options> Options::Parse(const std::vector<std::string>& args,
                                      std::initializer_list<std::string_view> known, std::string& error) {
  Options options;
  for (size_t i = 0; i < args.size();) {
    const std::string& name = args[i];
    if (std::find(known.begin(), known.end(), name) == known.end()) {
      error = Quoted(name) + ": unknown option here";
      if (i > 0 && IsFlag(args[i - 1])) error = Quoted(name) + ": not an option; " + args[i - 1] + " takes no value";
      return std::nullopt;
    }
    const bool flag = IsFlag(name);  // takes no value
    if (!flag && i + 1 >= args.size()) {
      error = name + ": needs a value";
      return std::nullopt;
    }
    if (!options.values_.emplace(name, flag ? std::string() : args[i + 1]).second) {
      error = name + ": given twice";
      return std::nullopt;
    }
    i += flag ? 1 : 2;
  }
  return options;
}

std::string Options::Value(std::string_view name) const {
  const auto found = values_.find(std::string(name));
  return found == values_.end() ? std::string() : found->second;
}

bool RequireOptions(const Options& options, std::initializer_list<std::string_view> names, std::string& error) {
  for (const std::string_view name : names) {
    if (!options.Has(name)) {
      error = std::string(name) + ": missing";
      return false;
    }
  }
  return true;
}

bool ReadInteger(const Options& options, std::string_view name, int64_t minimum, int64_t maximum, int64_t& value,
                 std::string& error) {
  const std::string text = options.Value(name);
  const char* end = text.data() + text.size();
  int64_t parsed = 0;
  const auto [stop, failure] = std::from_chars(text.data(), end, parsed);
  if (text.empty() || failure != std::errc() || stop != end || parsed < minimum || parsed > maximum) {
    error = std::string(name) + ": expected a whole number from " + std::to_string(minimum) + " to " +
            std::to_string(maximum) + ", got " + Quoted(text);
    return false;
  }
  value = parsed;
  return true;
}

bool ReadSeconds(const Options& options, std::string_view name, double& seconds, std::string& error, double maximum) {
  const std::string text = options.Value(name);
  const char* end = text.data() + text.size();
  double parsed = 0;
  const auto [stop, failure] = std::from_chars(text.data(), end, parsed, std::chars_format::fixed);
  if (text.empty() || failure != std::errc() || stop != end || !(parsed > 0.0) || parsed > maximum) {
    error = std::string(name) + ": expected seconds above 0 and up to " +
            std::to_string(static_cast<int64_t>(maximum)) + ", got " + Quoted(text);
    return false;
  }
  seconds = parsed;
  return true;
}

int32_t MaxWheelTeeth(int32_t wheelAt) {
  int32_t teeth = 1;
  const auto hasFrames = [wheelAt](int32_t n) {
    const auto geometry = GeometryOfWheel(n, 0, wheelAt);
    return geometry && geometry->halfToothFrames > 0;
  };
  while (hasFrames(teeth + 1)) ++teeth;
  return teeth;
}

std::string NoImageMessage(const WheelConfig& wheel) {
  return "no wave image for " + std::to_string(wheel.AvailableTeeth) + " teeth and " +
         std::to_string(wheel.MissingTeeth) + " missing: a wheel has 0 or more of each, 1 to " +
         std::to_string(MaxWheelTeeth(Crankshaft)) + " in all on the crankshaft (" +
         std::to_string(MaxWheelTeeth(Camshaft)) + " on the camshaft)";
}

bool ReadWheel(const Options& options, WheelConfig& wheel, std::string& error) {
  if (!RequireOptions(options, {"--teeth", "--missing", "--position"}, error)) return false;
  constexpr int64_t low = 0;
  const int64_t high = MaxWheelTeeth(Camshaft);
  int64_t teeth = 0;
  int64_t missing = 0;
  if (!ReadInteger(options, "--teeth", low, high, teeth, error)) return false;
  if (!ReadInteger(options, "--missing", low, high, missing, error)) return false;
  const std::string position = options.Value("--position");
  if (position != "camshaft" && position != "crankshaft") {
    error = "--position: expected camshaft or crankshaft, got " + Quoted(position);
    return false;
  }
  wheel.AvailableTeeth = static_cast<int32_t>(teeth);
  wheel.MissingTeeth = static_cast<int32_t>(missing);
  wheel.WheelAt = position == "camshaft" ? Camshaft : Crankshaft;
  return true;
}

std::optional<WaveImage> BuildWaveImage(const WheelConfig& config) {
  return vm::BuildWaveImage(config.AvailableTeeth, config.MissingTeeth, config.WheelAt);
}

bool ReadSignalOptions(const Options& options, SignalOptions& signal, std::string& error) {
  signal = SignalOptions{};
  signal.exactSpeed = options.Has("--exact-speed");
  if (!options.Has("--cam")) return true;
  const std::string text = options.Value("--cam");
  const size_t colon = text.find(':');
  int64_t angle = 0;
  int64_t width = 0;
  if (!ReadDegrees(text.substr(0, colon), 0, kCamAngleMax, angle) ||
      (colon != std::string::npos && !ReadDegrees(text.substr(colon + 1), 1, kCamWidthMax, width))) {
    error = "--cam: expected ANGLE (0 to 719) or ANGLE:WIDTH (width 1 to 360), got " + Quoted(text);
    return false;
  }
  signal.cam = true;
  signal.camAngle = static_cast<int32_t>(angle);
  signal.camWidth = static_cast<int32_t>(width);
  return true;
}

std::string CamPhaseError(std::string_view text) {
  return "expected crankshaft degrees from -90 to 90 in steps of 0.1, got " + Quoted(text);
}

bool ReadCamPhase(const Options& options, int32_t& tenths, std::string& error) {
  tenths = 0;
  if (!options.Has("--cam-phase")) return true;
  const std::string text = options.Value("--cam-phase");
  if (ParseCamPhase(text, tenths)) return true;
  error = "--cam-phase: " + CamPhaseError(text);
  return false;
}

bool HasCamChannel(const WaveImage& image) {
  const auto frames = ReadWaveImage(image);
  try {
    return frames && LoopSound(*frames).Right() != nullptr;
  } catch (const std::bad_alloc&) { return false; }
}

bool ReadDeviceRate(const Options& options, int32_t& rate, std::string& error) {
  rate = kDefaultDeviceRate;
  if (!options.Has("--device-rate")) return true;
  int64_t value = 0;
  if (!ReadInteger(options, "--device-rate", kMinDeviceRate, kMaxDeviceRate, value, error)) return false;
  rate = static_cast<int32_t>(value);
  return true;
}

int Fail(const std::string& message, int code) {
  std::fprintf(stderr, "velomira-render: %s\n", message.c_str());
  return code;
}

}  // namespace vm::render
