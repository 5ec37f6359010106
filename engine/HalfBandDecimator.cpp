#include "HalfBandDecimator.h"

#include <algorithm>

#include "ResamplingFilter.h"

namespace kalvo5 {

namespace {

// A Kaiser-windowed ideal low-pass at a quarter of the rate. Its transition,
// centred on 0.25 fs, spans about 0.14 ... 0.36 fs with beta 10, which also
// puts the rejection near 100 dB.
constexpr double kHalfBandBeta = 10.0;

}  // namespace

HalfBandDesign DesignHalfBand() {
  // In units where the rate is 2, the cut-off at a quarter of it is 0.5.
  const ResamplingFilterDesign prototype{kHalfBandTaps, 2.0, 0.5, 0.0, kHalfBandBeta, 1.0};
  float h[kHalfBandTaps];
  DesignResamplingFilter(prototype, h);
  // The taps at even offsets are zeros of the sinc, left as rounding noise by
  // the design: dropped, and the rest scaled back to unit gain at DC.
  double sum = h[kHalfBandCentre];
  for (int i = 0; i < kHalfBandOddTaps; ++i) sum += 2.0 * static_cast<double>(h[kHalfBandCentre + 2 * i + 1]);
  HalfBandDesign design;
  design.centre = static_cast<float>(static_cast<double>(h[kHalfBandCentre]) / sum);
  for (int i = 0; i < kHalfBandOddTaps; ++i)
    design.odd[i] = static_cast<float>(static_cast<double>(h[kHalfBandCentre + 2 * i + 1]) / sum);
  return design;
}

void HalfBandTaps(const HalfBandDesign& design, float* taps) {
  std::fill(taps, taps + kHalfBandTaps, 0.0f);
  taps[kHalfBandCentre] = design.centre;
  for (int i = 0; i < kHalfBandOddTaps; ++i)
    taps[kHalfBandCentre - 2 * i - 1] = taps[kHalfBandCentre + 2 * i + 1] = design.odd[i];
}

void ResetHalfBand(HalfBandDecimator& stage) { stage = HalfBandDecimator{}; }

int DecimateByTwo(HalfBandDecimator& s, const HalfBandDesign& design, const float* input, int count,
                  float* output) {
  int written = 0;
  for (int n = 0; n < count; ++n) {
    s.w = s.w + 1 == kHalfBandTaps ? 0 : s.w + 1;
    s.history[s.w] = s.history[s.w + kHalfBandTaps] = input[n];
    const bool odd = s.odd;
    s.odd = !s.odd;
    if (odd) continue;
    // x[k] is the input k samples before the newest, x[0] the newest.
    const float* newest = s.history + s.w + kHalfBandTaps;
    const auto x = [newest](int k) { return newest[-k]; };
    float y = design.centre * x(kHalfBandCentre);
    for (int i = 0; i < kHalfBandOddTaps; ++i)
      y += design.odd[i] * (x(kHalfBandCentre - 2 * i - 1) + x(kHalfBandCentre + 2 * i + 1));
    output[written++] = y;
  }
  return written;
}

}  // namespace kalvo5
