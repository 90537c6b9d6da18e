#pragma once
// Command-line pieces shared by the modes of velomira-render: "--name value" options and
// "--flag" options, strict numbers, the wheel and its signal options, the device rate, and
// the one-line failure message.

#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/cam_phase.h"
#include "config/wheel_config.h"
#include "signal/cam_signal.h"
#include "signal/wave_image.h"

namespace vm::render {

inline constexpr int kBadArguments = 2;
inline constexpr int kFailed = 1;
inline constexpr int32_t kDefaultDeviceRate = 48000;

class Options {
 public:
  // Every argument a "--name value" pair with a name from `known`, or a flag from `known`
  // (IsFlag) standing alone. An unknown or repeated name, or a name without a value, fails
  // with a message naming it.
  static std::optional<Options> Parse(const std::vector<std::string>& args,
                                      std::initializer_list<std::string_view> known, std::string& error);
  bool Has(std::string_view name) const { return values_.count(std::string(name)) != 0; }
  // Empty text for an option not given.
  std::string Value(std::string_view name) const;

 private:
  std::map<std::string, std::string> values_;
};

// Each fails with a message naming the option when it is missing (where required), not a
// number, or out of range.
// Options that take no value: "--exact-speed", "--list-patterns".
bool IsFlag(std::string_view name);
// Whether `name` stands as an option name in `args` (a value that looks like one does not).
bool MentionsOption(const std::vector<std::string>& args, std::string_view name);

bool RequireOptions(const Options& options, std::initializer_list<std::string_view> names, std::string& error);
bool ReadInteger(const Options& options, std::string_view name, int64_t minimum, int64_t maximum, int64_t& value,
                 std::string& error);
// Up to `maximum` whole seconds.
bool ReadSeconds(const Options& options, std::string_view name, double& seconds, std::string& error,
                 double maximum = 10000.0);
// The most teeth, present and missing together, a wheel at `wheelAt` can have: one more and
// a half tooth has no frame of the image (344 on the crankshaft, 689 on the camshaft).
int32_t MaxWheelTeeth(int32_t wheelAt);
// "no wave image for P teeth and M missing: a wheel has 0 or more of each, 1 to 344 in all
// on the crankshaft (689 on the camshaft)".
std::string NoImageMessage(const WheelConfig& wheel);
// --teeth and --missing (0 to MaxWheelTeeth(Camshaft)), --position camshaft|crankshaft.
bool ReadWheel(const Options& options, WheelConfig& wheel, std::string& error);
// The wave image of the wheel that ReadWheel read.
std::optional<WaveImage> BuildWaveImage(const WheelConfig& config);
// --exact-speed and --cam ANGLE[:WIDTH] (crankshaft degrees, 0..719 and 1..360; without a
// width, one tooth period); all off when not given.
bool ReadSignalOptions(const Options& options, SignalOptions& signal, std::string& error);
// A cam phase as text (common/cam_phase.h), and the loop's degrees it is a part of
// (signal/cam_signal.h), as the window reads them too.
using vm::LoopCrankDegrees;
using vm::ParseCamPhase;
// The reason a cam phase was refused, for "<name>: " before it.
std::string CamPhaseError(std::string_view text);
// --cam-phase DEG; 0 when not given.
bool ReadCamPhase(const Options& options, int32_t& tenths, std::string& error);
// Whether the image's right channel is a signal of its own (a cam), which a cam phase moves;
// a wheel alone has right = -left and no cam.
bool HasCamChannel(const WaveImage& image);
// --device-rate, 48000 when not given.
bool ReadDeviceRate(const Options& options, int32_t& rate, std::string& error);

// `text` in double quotes, as messages quote what they were given: a byte outside printable
// ASCII shows as \r, \t, \n or \xHH, and a quote or backslash gets a backslash, so that
// a message stays one line and puts nothing raw on a terminal.
std::string Quoted(std::string_view text);

// Prints "velomira-render: <message>" on one line to the error stream and gives `code`.
int Fail(const std::string& message, int code = kBadArguments);

}  // namespace vm::render
