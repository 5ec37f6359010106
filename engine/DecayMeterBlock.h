// Channel meters with the decaying peak (PeakFallKind::Decay) fed a block of
// magnitudes at once, for the DIAL analyzer's block form.
#pragma once

#include "ChannelPeakMeter.h"

namespace kalvo5 {

// Steps each of `count` decay meters through its n magnitudes
// (magnitudes[i][0 ... n-1], finite and >= 0): max hold, peak, clip light
// and its hold end bit for bit as after n UpdateChannelPeakMeterOf<Decay>
// calls per meter. Audio thread.
void UpdateDecayMetersBlock(ChannelPeakMeter* const* meters, const double* const* magnitudes, int count,
                            int n);

}  // namespace kalvo5
