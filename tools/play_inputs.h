#pragma once
// What a play plan names, read: the wheel (from its config file when one is given), its
// wave image, and the batch rows. Everything is read before the sound device opens, so a
// bad file plays nothing.

#include <string>
#include <vector>

#include <optional>

#include "batch/batch_file.h"
#include "pattern/pattern_sound.h"
#include "play_args.h"
#include "signal/wave_image.h"

namespace vm::play {

struct PlayInputs {
  WheelConfig wheel;
  WaveImage image;
  std::vector<BatchRow> rows;           // --batch only
  std::optional<PatternSound> pattern;  // --pattern: played in place of the wheel; `image` is its image
};

// The sound of the pattern `text` names (ReadPatternArgument), made for a 48000 Hz output
// and speeds up to `topRpm`.
bool LoadPlayPattern(const std::string& text, int64_t topRpm, PatternSound& sound, std::string& error);

// Fails with one line naming the option and the file at fault.
bool LoadPlayInputs(const PlayArgs& args, PlayInputs& inputs, std::string& error);

}  // namespace vm::play
