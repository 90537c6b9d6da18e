#pragma once
// The --control protocol: one command a line on standard input, each answered with one line
// on standard output, "ok" (with the count for "revolutions") or "error: <why>".
//   rpm R        the speed at once
//   ramp R MS    linear to R over MS milliseconds, in the batch runner's ticks
//   stop         silence, the wheel's position kept
//   start        plays on from the position kept
//   cam-phase DEG [MS]  the cam against the crank, crankshaft degrees from -90 to 90 in
//                steps of 0.1, at once or linear over MS milliseconds of play
//   revolutions  the whole revolutions played so far
//   pattern P    the pattern named P (or the file P) in place of what plays, from the next start
//   quit         silence, and the program ends

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vm::play {

inline constexpr int64_t kMaxRampMs = 24 * 3600 * 1000;

enum class Command { Rpm, Ramp, Stop, Start, Revolutions, Quit, Pattern, CamPhase };

struct ControlLine {
  Command command = Command::Stop;
  int64_t rpm = 0;       // Rpm, Ramp
  int64_t ms = 0;        // Ramp, CamPhase (0 when not given)
  std::string pattern;   // Pattern: the rest of the line, without the blanks around it
  int32_t camPhase = 0;  // CamPhase, tenths of a degree
};

// One line without its line feed; a carriage return before it is allowed. Words are
// separated by blanks or tabs; numbers are plain decimal digits. On failure `error` holds
// the answer's reason.
std::optional<ControlLine> ParseControlLine(std::string_view line, std::string& error);

}  // namespace vm::play
