// Design of the low-pass filters that band-limit the speech detector's input
// before it is resampled to 16 kHz.
#pragma once

namespace kalvo5 {

// A linear-phase FIR low-pass: an ideal low-pass whose transition is a raised
// cosine (flat pass band, smooth roll-off centred on cutoffHz, where the gain
// has fallen by 6 dB), truncated to `taps` samples by a Kaiser window.
// transitionHz is the width of the raised-cosine roll-off; kaiserBeta trades
// the window's smearing of that roll-off against its far rejection. The taps
// are scaled so that they sum to dcGain.
struct ResamplingFilterDesign {
  int taps = 0;             // odd: the filter is symmetric about its centre tap
  double designRate = 0.0;  // the rate the filter runs at (Hz)
  double cutoffHz = 0.0;
  double transitionHz = 0.0;
  double kaiserBeta = 0.0;
  double dcGain = 1.0;
};

// Writes design.taps single-precision coefficients. Computed in double
// precision and rounded once; runs at creation, not on the audio thread.
void DesignResamplingFilter(const ResamplingFilterDesign& design, float* coefficients);

}  // namespace kalvo5
