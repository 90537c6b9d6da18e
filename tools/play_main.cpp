// velomira-play: the wheel on the sound card without a window, for test benches and scripts.
// Everything is read and checked before the sound device opens, so bad arguments or files
// play nothing. Exit codes: 0 done; 1 no sound device, no runner thread, or answers that
// cannot be written; 2 bad arguments, an unreadable file, or a speed the device cannot carry.

#include <poll.h>
#include <signal.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "pattern_args.h"
#include "platform/quit_signals.h"
#include "platform/standard_streams.h"
#include "play_args.h"
#include "play_inputs.h"
#include "play_loop.h"
#include "render_args.h"
#include "signal/sound_output.h"
#include "speed_limit.h"

namespace {

constexpr int kNoDevice = 1;
constexpr int kBadArguments = 2;

int Fail(const std::string& message, int code) {
  std::fprintf(stderr, "velomira-play: %s\n", message.c_str());
  return code;
}

template <class Signal>
std::optional<std::string> SpeedError(int64_t rpm, const Signal& signal, const std::vector<vm::BatchRow>& rows,
                                      int32_t deviceRate) {
  if (rpm != 0) {
    if (auto error = vm::render::SpeedLimitError(signal, rpm, deviceRate, vm::play::kMaxRpm)) return "--rpm: " + *error;
  }
  if (auto error = vm::render::BatchSpeedLimitError(signal, rows, deviceRate)) return "--batch: " + *error;
  return std::nullopt;
}

// Why the plan's speeds cannot be played on an output of `deviceRate`, if they cannot.
std::optional<std::string> SpeedError(const vm::play::PlayArgs& args, const vm::play::PlayInputs& inputs,
                                      int32_t deviceRate) {
  if (inputs.pattern) return SpeedError(args.rpm, *inputs.pattern, inputs.rows, deviceRate);
  return SpeedError(args.rpm, inputs.wheel, inputs.rows, deviceRate);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vm::play;
  vm::OpenClosedStandardStreams();
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Fail(kUsage, kBadArguments);
  std::string error;
  const auto parsed = ParsePlayArgs(args, error);
  if (!parsed) return Fail(error, kBadArguments);
  if (parsed->help) {
    std::printf("%s\n", kUsage);
    return 0;
  }
  if (parsed->listPatterns) {
    const std::string listing = vm::render::PatternListing();
    std::fwrite(listing.data(), 1, listing.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : Fail("cannot write the listing", kNoDevice);
  }
  PlayInputs inputs;
  if (!LoadPlayInputs(*parsed, inputs, error)) return Fail(error, kBadArguments);
  if (parsed->camPhaseGiven && !vm::render::HasCamChannel(inputs.image))
    return Fail(parsed->pattern ? "--cam-phase: the pattern has no cam track to move"
                                : "--cam-phase: the signal has no cam to move; give --cam ANGLE",
                kBadArguments);
  // Before any thread starts, so that every thread inherits it: a script that has gone
  // away must give a failed write, not a killed process.
  ::signal(SIGPIPE, SIG_IGN);
  const int quit = vm::InstallQuitSignalPipe();
  vm::SoundOutput sound;
  // A signal while the device opens ends the program as it would later: at once, with 0.
  pollfd quitting{quit, POLLIN, 0};
  if (!sound.Open({.quitDescriptor = quit})) {
    return ::poll(&quitting, 1, 0) > 0 ? 0 : Fail("cannot open the sound device", kNoDevice);
  }
  // Only the open device knows its rate; nothing has played yet.
  if (const auto error = SpeedError(*parsed, inputs, sound.DeviceRate())) return Fail(*error, kBadArguments);
  const int code = RunPlayer(*parsed, inputs, sound, quit);
  sound.Close();
  return code;
}
