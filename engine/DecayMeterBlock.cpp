#include "DecayMeterBlock.h"

#include <algorithm>

namespace kalvo5 {
namespace {

// While the clip light is dark and no magnitude of the run exceeds full
// scale, the peak cannot either (it is a magnitude or a fallen peak), so the
// light stays dark and only the peak moves: the per-sample step without the
// light, on a copy the compiler keeps in a register.
double DarkPeakRun(double peak, double fall, const double* x, int n) {
  for (int k = 0; k < n; ++k) {
    const double fallen = peak * fall;
    const double next = x[k] > peak ? x[k] : fallen;
    peak = next < 1e-30 ? 0.0 : next;
  }
  return peak;
}

void UpdateMeter(ChannelPeakMeter& meter, const double* x, int n) {
  ChannelPeakMeter m = meter;
  const double largest = *std::max_element(x, x + n);
  if (m.light == 0.0 && m.peak <= 1.0 && largest <= 1.0) {
    m.maxHold = largest > m.maxHold ? largest : m.maxHold;
    m.peak = DarkPeakRun(m.peak, m.fall, x, n);
  } else {
    for (int k = 0; k < n; ++k) UpdateChannelPeakMeterOf<PeakFallKind::Decay>(m, x[k]);
  }
  meter = m;
}

}  // namespace

void UpdateDecayMetersBlock(ChannelPeakMeter* const* meters, const double* const* magnitudes, int count,
                            int n) {
  if (n <= 0) return;
  for (int i = 0; i < count; ++i) UpdateMeter(*meters[i], magnitudes[i], n);
}

}  // namespace kalvo5
