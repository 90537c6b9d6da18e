#pragma once
// What the signal needs of a wheel: its teeth, its position and the signal options, as plain
// numbers. The wheel record (WheelConfig) has the same fields and converts to it, so the
// signal does not depend on the record's layer.

#include <cstdint>

#include "common/signal_options.h"

namespace vm {

struct WheelSignal {
  int32_t AvailableTeeth = 0;
  int32_t MissingTeeth = 0;
  int32_t WheelAt = 0;
  SignalOptions Signal;

  WheelSignal() = default;
  WheelSignal(int32_t availableTeeth, int32_t missingTeeth, int32_t wheelAt, SignalOptions signal = {})
      : AvailableTeeth(availableTeeth), MissingTeeth(missingTeeth), WheelAt(wheelAt), Signal(signal) {}
  template <class Record>
  WheelSignal(const Record& wheel)  // NOLINT: converts any record with the fields above
      : AvailableTeeth(wheel.AvailableTeeth),
        MissingTeeth(wheel.MissingTeeth),
        WheelAt(wheel.WheelAt),
        Signal(wheel.Signal) {}
};

}  // namespace vm
