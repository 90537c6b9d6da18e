#pragma once
// The signal options in a config file or the settings file: group "Signal", written only
// when an option differs from its default, so that files without it stay as they were.

#include "common/signal_options.h"

namespace vm {

class PreferenceFile;

// Options absent from the file take their defaults; values outside their ranges are held
// to them.
void ReadSignalOptions(PreferenceFile& file, SignalOptions& options);
// Writes the keys whose values differ from the defaults, and nothing when none does.
void WriteSignalOptions(PreferenceFile& file, const SignalOptions& options);

}  // namespace vm
