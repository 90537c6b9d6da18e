#pragma once
// velomira-play's main loop: plays the plan on the sound output until one of its ends and
// leaves silence. A batch runs on the runner's own thread and step on the real clock, as a
// batch run in the window does; --control lines come from standard input.

#include "play_args.h"
#include "play_inputs.h"

namespace vm {
class SoundOutput;
}

namespace vm::play {

// `sound` is open and holds no sound yet. `quitDescriptor` turns readable on SIGINT or
// SIGTERM (-1: none). Gives the exit code: 0, or 1 when a runner thread cannot be started.
int RunPlayer(const PlayArgs& args, const PlayInputs& inputs, SoundOutput& sound, int quitDescriptor);

}  // namespace vm::play
