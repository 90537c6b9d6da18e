#pragma once
// The wheel being emulated: one record, owned by the main thread for the whole run.

#include <cstdint>
#include <string>
#include <vector>

#include "common/signal_options.h"
#include "common/wheel_position.h"

namespace vm {

struct WheelConfig {
  std::string Type;            // display name
  int32_t AvailableTeeth = 0;  // teeth really present
  int32_t MissingTeeth = 0;    // teeth missing in the gap
  int32_t WheelAt = Camshaft;  // a WheelPosition
  std::vector<int32_t> RpmPresets;
  SignalOptions Signal{};  // beyond the wheel; all off by default
};

}  // namespace vm
