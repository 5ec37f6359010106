// The measurement behind the analyzer type "RMS": a sliding RMS level, its
// maximum, the integrated level since the reset, sample-peak and true-peak
// maxima, the crest factor and per-channel clip lights. With the Leq(M)
// weighting the momentary and integrated levels follow the Leq(M) method.
//
// Threads: an analyzer belongs to one thread at a time: the one that
// builds it, then the audio thread that runs it (through the block driver).
// Its readings are read on that thread and handed to others as copies.
#pragma once

#include <cstdint>

#include "ChannelConfig.h"
#include "ChannelPeakMeter.h"
#include "GatedIntegrator.h"
#include "MeanSquareWindow.h"
#include "SlidingSum.h"
#include "TruePeakDetector.h"
#include "WeightingFilter.h"

namespace kalvo5 {

// How the block driver names the weighting to MeasureRMS.
enum class RMSWeightingKind : int {
  Other = 0,
  BS1770 = 1,  // surrounds 1.41, LFE 0 in "6 Ch."
  LeqM = 2,    // channels 3 and 4 at 0.5
};

inline RMSWeightingKind RMSWeightingKindFor(WeightingMode mode) {
  if (mode == WeightingMode::BS1770) return RMSWeightingKind::BS1770;
  if (mode == WeightingMode::LeqM) return RMSWeightingKind::LeqM;
  return RMSWeightingKind::Other;
}

struct RMSAnalyzer {
  double sampleRate = 48000.0;
  double minWindowMs = 10.0;
  double maxWindowMs = 10000.0;

  // The momentary window over the last N combined mean squares; its ring is
  // obtained for the longest window.
  SlidingSum window;
  double windowMs = 600.0;
  double overlap = 0.75;
  int hopCount = 0;
  double blockMean = 0.0;     // the momentary mean square, updated at block times
  double blockMeanMax = 0.0;  // largest blockMean since the reset

  double totalSum = 0.0;  // every combined mean square since the reset
  std::int64_t totalCount = 0;
  double integratedMean = 0.0;  // totalSum / max(totalCount, 1)

  double samplePeak = 0.0;  // largest |x| over the measured channels, latest sample
  double peakMax = 0.0;     // largest samplePeak since the reset

  RMSMeterMode meterMode = RMSMeterMode::Sum;
  double dbOffset = 0.0;    // added to RMS levels: 3.0103 with "AES17"
  double peakOffset = 0.0;  // added to peak levels

  TruePeakDetector truePeak[kAnalyzerChannels];
  ChannelPeakMeter meters[kAnalyzerChannels];

  // Leq(M): a 200 ms window smoothed by an envelope every 100 ms into an
  // integrator without gates, and a long window as long as the RMS window.
  bool leqM = false;  // the latest processed sample was Leq(M)-weighted
  MeanSquareWindow shortWindow;
  MeanSquareWindow longWindow;
  double envelope = 0.0;
  double envelopeAttack = 0.0;
  double envelopeRelease = 0.0;  // 10^(-1/(fs * 7.5e-05)) per 100 ms block
  GatedIntegrator leqMIntegrator;
};

// Sets the window limits (10 and 10000 ms), obtains every ring for the rate
// (the two whose length follows the window for windows of up to capacityMs;
// at least the 600 ms AES17 window) and the Leq(M) integrator's memory, the
// window 600 ms with "SUM", and resets. False when memory was not available
// (the analyzer then measures nothing but peaks and the plain integrated
// level), and false, changing nothing, for a rate that is not finite and
// positive. Without withMemory it holds no memory and measures as without
// it, until ExchangeRMSMemory brings some.
bool InitRMS(RMSAnalyzer& analyzer, double minWindowMs, double maxWindowMs, double sampleRate,
             double capacityMs, bool withMemory = true);

// The ring length (samples) the window and the Leq(M) long window need for a
// window of ms at the rate: at least the 600 ms of AES17.
int RMSWindowRingSamples(double sampleRate, double ms);

// The current ring length of the window (its long window has the same).
inline int RMSWindowCapacity(const RMSAnalyzer& analyzer) {
  return static_cast<int>(analyzer.window.ring.size());
}

// Exchanges the memory of two analyzers initialised for the same rate: the
// windows and the Leq(M) integrator of `other` go to `analyzer` and its own
// go to `other`. The analyzer keeps its settings, re-applies its window
// length to the rings it got and resets. Allocation-free: how memory
// obtained elsewhere (in `other`) is put in place on the audio thread.
void ExchangeRMSMemory(RMSAnalyzer& analyzer, RMSAnalyzer& other);

// Ignored unless minWindowMs <= ms <= maxWindowMs and ms differs from the
// current window; otherwise sets the window and resets. A window longer than
// the rings is cut to them: see RMSWindowRingSamples.
void SetRMSWindow(RMSAnalyzer& analyzer, double ms);

// Stores the method. "AES17" adds 3.0103 dB to the RMS levels and measures
// over 600 ms whatever the window setting. Resets when anything changed.
void SetRMSMeterMode(RMSAnalyzer& analyzer, RMSMeterMode mode);

// Clears every level, maximum, detector, meter and window.
void ResetRMS(RMSAnalyzer& analyzer);

// Per sample, always: the measured channels' peak meters and clip lights.
// x holds the six pre-gained samples; unmeasured ones are ignored.
void ClipRMS(RMSAnalyzer& analyzer, RMSChannelConfig config, const double (&x)[kAnalyzerChannels]);

// Per sample while measuring: sample peak and, with truePeakOn, the measured
// channels' true-peak detectors.
void PeakRMS(RMSAnalyzer& analyzer, RMSChannelConfig config, const double (&x)[kAnalyzerChannels],
             bool truePeakOn);

// Per sample while measuring, with the six weighted samples.
void MeasureRMS(RMSAnalyzer& analyzer, RMSChannelConfig config, RMSWeightingKind weightingKind, bool isLeqM,
                const double (&w)[kAnalyzerChannels]);

// Readings in dB (RMS levels in dBFS, peaks in dBFS or dBTP); -144 while
// there is nothing to show, 0 for the crest. The flag of RMSIntegrated and
// RMSPeakMax selects rounding to 0.1 dB; the others are always rounded.
double RMSMomentary(const RMSAnalyzer& analyzer);
double RMSMomentaryMax(const RMSAnalyzer& analyzer);
double RMSIntegrated(const RMSAnalyzer& analyzer, bool rounded);
double RMSPeakMax(const RMSAnalyzer& analyzer, bool rounded);
double RMSTruePeakMax(const RMSAnalyzer& analyzer);
double RMSCrest(const RMSAnalyzer& analyzer);

}  // namespace kalvo5
