// Channel meters with the envelope fall (PeakFallKind::Envelope) fed a block
// of magnitudes at once, for the analyzers' block forms.
#pragma once

#include "ChannelPeakMeter.h"

namespace kalvo5 {

// Steps each of `count` envelope meters through its n magnitudes
// (magnitudes[i][0 ... n-1], finite and >= 0, or with MeterValues::Samples
// the samples they are the magnitudes of). Max hold, envelope, clip light
// and its hold end as after n UpdateChannelPeakMeterOf<Envelope> calls per
// meter, to within floating-point rounding (and below 1e-30, where the
// per-sample form cuts the envelope to 0). Audio thread.
void UpdateEnvelopeMetersBlock(ChannelPeakMeter* const* meters, const double* const* magnitudes, int count,
                               int n, MeterValues values = MeterValues::Magnitudes);

}  // namespace kalvo5
