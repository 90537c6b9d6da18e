#pragma once
// What a recorded wheel signal holds: its levels, whether the right channel is the left's
// negative, and its revolutions, told apart by the long interval across the missing teeth.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vm::test {

struct WheelSignal {
  size_t overLimit = 0;     // samples beyond ±32000
  size_t notAntiphase = 0;  // frames whose right sample is not the left one's negative
  size_t revolutions = 0;   // whole revolutions: teeth - 1 tooth intervals, then the gap
  size_t breaks = 0;        // runs of intervals that fit neither a tooth nor the gap, and
                            // revolutions without the right number of teeth
  double tooth = 0;         // the tooth interval, in frames (the median interval)
  double revolution = 0;    // the median length of a whole revolution, in frames
};

// Reads the frames from the first rising edge to the last one; the rest is lead-in and
// tail. `teeth` and `missing` are the wheel's; intervals within a quarter tooth of a tooth
// or of the gap ((missing + 1) teeth) fit.
WheelSignal ReadWheel(std::span<const int16_t> interleaved, int teeth, int missing);

}  // namespace vm::test
