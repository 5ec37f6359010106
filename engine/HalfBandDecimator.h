// A 2:1 decimator with a half-band low-pass in front: how the speech
// detector brings rates of 64 kHz and more down to a rate its resampler
// takes (96 kHz to 48, 88.2 to 44.1, 192 to 96 to 48, ...).
//
// The speech detector only looks below 8 kHz, so the filter need not be
// steep: it keeps 0 ... 0.13 fs flat (8.3 kHz at 64 kHz) and rejects what
// would fold back below 8.3 kHz after halving (0.37 fs and up) by 90 dB or
// more. Being a half-band filter, every other tap but the centre is zero.
#pragma once

namespace kalvo5 {

inline constexpr int kHalfBandTaps = 31;  // 4k + 3: the outermost taps are non-zero
inline constexpr int kHalfBandCentre = kHalfBandTaps / 2;
inline constexpr int kHalfBandOddTaps = (kHalfBandCentre + 1) / 2;  // offsets 1, 3, ... 15

// The filter, designed once: the centre tap and the taps at odd offsets from
// it (the filter is symmetric; the taps at even offsets are zero).
struct HalfBandDesign {
  float centre = 0.0f;
  float odd[kHalfBandOddTaps] = {};  // odd[i]: the tap at offset +-(2i + 1)
};

// Designs the filter (unit gain at DC). Not for the audio thread.
HalfBandDesign DesignHalfBand();

// The full filter, taps 0 ... kHalfBandTaps-1, for measuring its response.
void HalfBandTaps(const HalfBandDesign& design, float* taps);

// The state of one stage: the latest kHalfBandTaps inputs, each stored twice
// (at w and w + kHalfBandTaps) so the newest ones are always contiguous.
struct HalfBandDecimator {
  float history[2 * kHalfBandTaps] = {};
  int w = 0;
  bool odd = false;  // the next input is the second of a pair (no output)
};

void ResetHalfBand(HalfBandDecimator& stage);

// Takes count inputs and writes one output for every second one, the first
// output after the first input following a reset. Returns the number
// written (count/2, rounded up or down by the carried phase). In place is
// allowed (output == input). Allocation-free.
int DecimateByTwo(HalfBandDecimator& stage, const HalfBandDesign& design, const float* input, int count,
                  float* output);

}  // namespace kalvo5
