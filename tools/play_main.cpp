// velomira-play: the wheel on the sound card without a window, for test benches and scripts.
// Everything is read and checked before the sound device opens, so bad arguments or files
// play nothing. Exit codes: 0 done; 1 no sound device, no runner thread, or answers that
// cannot be written; 2 bad arguments, an unreadable file, or a speed the device cannot carry.

#include <signal.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

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

// Why the plan's speeds cannot be played on an output of `deviceRate`, if they cannot.
std::optional<std::string> SpeedError(const vm::play::PlayArgs& args, const vm::play::PlayInputs& inputs,
                                      int32_t deviceRate) {
  if (args.rpm != 0) {
    if (auto error = vm::render::SpeedLimitError(inputs.wheel, args.rpm, deviceRate, vm::play::kMaxRpm))
      return "--rpm: " + *error;
  }
  if (auto error = vm::render::BatchSpeedLimitError(inputs.wheel, inputs.rows, deviceRate)) return "--batch: " + *error;
  return std::nullopt;
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
  PlayInputs inputs;
  if (!LoadPlayInputs(*parsed, inputs, error)) return Fail(error, kBadArguments);
  if (parsed->camPhaseGiven && !vm::render::HasCamChannel(inputs.image))
    return Fail("--cam-phase: the signal has no cam to move; give --cam ANGLE", kBadArguments);
  // Before any thread starts, so that every thread inherits it: a script that has gone
  // away must give a failed write, not a killed process.
  ::signal(SIGPIPE, SIG_IGN);
  const int quit = vm::InstallQuitSignalPipe();
  vm::SoundOutput sound;
  if (!sound.Open()) return Fail("cannot open the sound device", kNoDevice);
  // Only the open device knows its rate; nothing has played yet.
  if (const auto error = SpeedError(*parsed, inputs, sound.DeviceRate())) return Fail(*error, kBadArguments);
  const int code = RunPlayer(*parsed, inputs, sound, quit);
  sound.Close();
  return code;
}
