#pragma once
// Where the wheel sits: the record keeps it, the config file names it, and the wave image
// divides by it (a camshaft turns once for two turns of the crankshaft).

#include <cstdint>

namespace vm {

enum WheelPosition : int32_t { Camshaft = 1, Crankshaft = 2 };

}  // namespace vm
