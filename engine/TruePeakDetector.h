// Inter-sample peak estimation by polyphase oversampling: 4x up to 48 kHz,
// 2x up to 96 kHz, plain sample peaks above.
#pragma once

#include "SimdPath.h"

namespace kalvo5 {

inline constexpr int kTruePeakTaps = 48;

// Tap set A: the four-phase, 12-coefficient-per-phase interpolation filter of
// the BS.1770 true-peak annex, interleaved (element 4m + p is coefficient m of
// phase p). Tap set B: a symmetric 48-tap filter for 2x oversampling.
extern const double kTruePeakTapsA[kTruePeakTaps];
extern const double kTruePeakTapsB[kTruePeakTaps];

// What InitTruePeak derives from the sample rate. phaseTaps[m][i] is the tap
// that weighs the input m samples back in output phase i, so every phase sums
// the same history in the order m = 0, 1, ...
struct TruePeakDesign {
  int factor = 1;               // oversampling factor L
  double factorAsDouble = 1.0;  // input scaling
  int history = 1;              // input samples each phase looks back over: 48 / L
  double tapSum = 1.0;
  double norm = 1.0;                   // 1 / tapSum
  SimdPath path = SimdPath::Baseline;  // instruction set of the interpolation
  alignas(32) double phaseTaps[kTruePeakTaps][4] = {};
};

struct TruePeakDetector {
  TruePeakDesign design;
  // The last `history` scaled inputs, stored twice so that the newest
  // `history` values always lie contiguously at delay[writePos + 1 ...].
  double delay[2 * kTruePeakTaps] = {};
  int writePos = 0;
  double current = 0.0;  // estimate for the latest sample (linear)
  double maxHold = 0.0;  // largest current since the reset (linear)
};

// The oversampling for the rate (truncated to an integer) with its taps, and
// the fastest path of this processor.
void DesignTruePeak(TruePeakDesign& design, double sampleRate);

// Designs for the rate and clears all state.
void InitTruePeak(TruePeakDetector& detector, double sampleRate);

// Runs the detector on another path from now on; false, changing nothing,
// when this processor lacks it. For tests and measurements.
bool SelectTruePeakPath(TruePeakDetector& detector, SimdPath path);

// Clears history, current and maxHold; the design stays.
void ResetTruePeak(TruePeakDetector& detector);

// Takes one sample (after pre-gain, before weighting) and updates current and
// maxHold. Audio thread; allocation-free.
void ProcessTruePeak(TruePeakDetector& detector, double x);

// The same for `count` detectors at once, detector c taking x[c]: the
// channels' filters run side by side, which is several times faster than one
// call per channel. Results equal those of ProcessTruePeak per detector.
// Detectors designed for different rates are processed one by one.
void ProcessTruePeaks(TruePeakDetector* detectors, const double* x, int count);

}  // namespace kalvo5
