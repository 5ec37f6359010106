// Six channels' true-peak detectors side by side: the estimates of six
// TruePeakDetector objects fed the channels' samples, computed across the
// channels at once (per sample) or across time (block form). For analyzers
// that run every channel's detector on every sample.
#pragma once

#include "SimdPath.h"
#include "TruePeakDetector.h"

namespace kalvo5 {

inline constexpr int kTruePeakBankChannels = 6;
// The block form works through longer blocks in pieces of this many samples.
inline constexpr int kTruePeakBlockFrames = 256;

// How each estimate sums its products.
enum class TruePeakSums : int {
  // Phase pairs from mirrored history sums (below): fewer products, equal
  // to TruePeakDetector's estimates to within floating-point rounding.
  Paired = 0,
  // Phase by phase in TruePeakDetector's order, so the estimates carry its
  // bits on each path: for readings that must stay exactly as that
  // detector gave them.
  PhaseByPhase = 1,
};

struct TruePeakBank {
  TruePeakDesign design;
  TruePeakSums sums = TruePeakSums::Paired;
  // Both tap sets are symmetric, so output phase L-1-i weighs the history
  // with phase i's taps reversed. Each such pair of phases is computed from
  // the sums and differences of history samples mirrored about the middle:
  // with S = sum of pairSum[j][m] (h[m] + h[H-1-m]) and D = sum of
  // pairDiff[j][m] (h[m] - h[H-1-m]) over m < H/2, the two phases' outputs
  // are S + D and S - D, and the larger magnitude is |S| + |D|.
  alignas(32) double pairSum[2][kTruePeakTaps / 4] = {};
  alignas(32) double pairDiff[2][kTruePeakTaps / 4] = {};

  // Scaled inputs, one row per sample with the six channels in lanes 0 ... 5
  // (lanes 6 and 7 pad the row to 64 bytes). Each row is stored twice, so
  // the newest `history` rows lie contiguously below the newest one.
  alignas(64) double history[kTruePeakTaps][8] = {};
  int writePos = 0;
  // Per channel, linear: the estimate of the latest sample and the largest
  // since the reset.
  alignas(32) double current[8] = {};
  alignas(32) double maxHold[8] = {};
};

// Designs for the rate (as InitTruePeak does) and clears all state.
void InitTruePeakBank(TruePeakBank& bank, double sampleRate, TruePeakSums sums = TruePeakSums::Paired);

// Clears history, current and maxHold; the design stays.
void ResetTruePeakBank(TruePeakBank& bank);

// Runs the bank on another path from now on; false, changing nothing, when
// this processor lacks it. For tests and measurements.
bool SelectTruePeakBankPath(TruePeakBank& bank, SimdPath path);

// Takes one sample per channel. Audio thread; allocation-free.
void ProcessTruePeakBank(TruePeakBank& bank, const double (&x)[kTruePeakBankChannels]);

// Block form for analyzers that meter a layout: feeds channel c the
// `frames` samples x[c] for every c with x[c] non-null and writes each
// sample's estimate to current[c] (frames values). Every channel's estimates
// equal those of ProcessTruePeakBank to within floating-point rounding
// (exactly with TruePeakSums::PhaseByPhase, whatever the split). A
// channel left out (x[c] null) keeps its history, which is only correct
// when that history is all zeros (ChannelHistoryIsZero): zeros look the same
// at every position. Audio thread; allocation-free.
void ProcessTruePeakBankBlock(TruePeakBank& bank, const double* const (&x)[kTruePeakBankChannels], int frames,
                              double* const (&current)[kTruePeakBankChannels]);

// True when channel c's history holds only zeros.
bool ChannelHistoryIsZero(const TruePeakBank& bank, int c);

// The largest maxHold of the six channels (linear).
double LargestMaxHold(const TruePeakBank& bank);

}  // namespace kalvo5
