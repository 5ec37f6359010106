#include "DecayMeterBlock.h"

#include "ChannelConfig.h"
#include "MeterGroups.h"
#include "SimdVector.h"

namespace kalvo5 {
namespace {

// While the clip light is dark and no magnitude of the run exceeds full
// scale, the peak cannot either (it is a magnitude or a fallen peak), so the
// light stays dark and only the peak moves: the per-sample step without the
// light. Each peak is a chain of dependent steps, so the dark meters run
// kWays side by side, on copies the compiler keeps in registers; each chain
// does its own meter's operations in their order.
template <int kWays>
void DarkPeakRuns(ChannelPeakMeter* const* meters, const double* const* x, int n) {
  double peak[kWays];
  double fall[kWays];
  for (int i = 0; i < kWays; ++i) {
    peak[i] = meters[i]->peak;
    fall[i] = meters[i]->fall;
  }
  for (int k = 0; k < n; ++k) {
    for (int i = 0; i < kWays; ++i) {
      const double fallen = peak[i] * fall[i];
      const double next = x[i][k] > peak[i] ? x[i][k] : fallen;
      peak[i] = next < 1e-30 ? 0.0 : next;
    }
  }
  for (int i = 0; i < kWays; ++i) meters[i]->peak = peak[i];
}

}  // namespace

void UpdateDecayMetersBlock(ChannelPeakMeter* const* meters, const double* const* magnitudes, int count,
                            int n) {
  if (n <= 0) return;
  ChannelPeakMeter* dark[kAnalyzerChannels];
  const double* darkMagnitudes[kAnalyzerChannels];
  int darkCount = 0;
  for (int i = 0; i < count; ++i) {
    ChannelPeakMeter& m = *meters[i];
    const double* x = magnitudes[i];
    const double largest = simd::LargestOf(x, n, 0.0);  // magnitudes are >= 0
    if (m.light == 0.0 && m.peak <= 1.0 && largest <= 1.0 && darkCount < kAnalyzerChannels) {
      m.maxHold = largest > m.maxHold ? largest : m.maxHold;
      dark[darkCount] = &m;
      darkMagnitudes[darkCount] = x;
      ++darkCount;
    } else {
      for (int k = 0; k < n; ++k) UpdateChannelPeakMeterOf<PeakFallKind::Decay>(m, x[k]);
    }
  }
  InGroupsOfThree(dark, darkMagnitudes, darkCount,
                  [n](auto ways, ChannelPeakMeter* const* m, const double* const* x) {
                    DarkPeakRuns<decltype(ways)::value>(m, x, n);
                  });
}

}  // namespace kalvo5
