// velomira-play: the wheel on the sound card without a window, for test benches and scripts.
// Everything is read and checked before the sound device opens, so bad arguments or files
// play nothing. Exit codes: 0 done, 1 no sound device, 2 bad arguments or an unreadable file.

#include <poll.h>
#include <signal.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/quit_signals.h"
#include "play_args.h"
#include "play_inputs.h"
#include "play_loop.h"
#include "signal/sound_output.h"

namespace {

constexpr int kNoDevice = 1;
constexpr int kBadArguments = 2;

int Fail(const std::string& message, int code) {
  std::fprintf(stderr, "velomira-play: %s\n", message.c_str());
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vm::play;
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
  const int code = RunPlayer(*parsed, inputs, sound, quit);
  sound.Close();
  return code;
}
