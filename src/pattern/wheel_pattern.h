#pragma once
// The wheel set in the window as a pattern, for drawing it beside the library's patterns and
// in the live view. Its angles are the wheel image's frames in proportion: frame f of an
// image of F frames lies at f / F of the cycle, so a play position maps straight to an angle.
// The sound of the window's wheel is still built from the wheel itself, not from this.

#include <optional>

#include "config/wheel_config.h"
#include "pattern/pattern.h"

namespace vm {

// One wheel turn (360° on the crankshaft, 720° on the camshaft) or, with the cam signal on a
// crankshaft wheel, the engine cycle of two turns. Tooth k's low half comes first, then its
// high half, the gap low, so the first tooth after the gap rises half a tooth after 0°. The
// cam signal's event, the rise in the middle of its pulse, is the cam track's rise; its high
// is the pulse's positive half. Nothing for a wheel the signal cannot play (no teeth, no
// position) or with teeth too fine for hundredths of a degree.
std::optional<Pattern> WheelPattern(const WheelConfig& wheel);

}  // namespace vm
