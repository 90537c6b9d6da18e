#include "signal/rate_fraction.h"

#include "signal/loop_resampler.h"
#include "signal/wave_reader.h"

namespace vm {

bool PlayableRate(const RateFraction& rate) {
  return rate.denominator >= 1 && rate.denominator <= kMaxRateDenominator && rate.numerator >= rate.denominator &&
         rate.numerator <= int64_t{kMaxPlaybackRate} * rate.denominator;
}

}  // namespace vm
