// The measurement behind the analyzer type "EBU": BS.1770 / EBU R 128
// loudness of a channel layout. Momentary (400 ms) and short-term (3 s)
// loudness with their maxima, the gated integrated loudness, the loudness
// range, the true-peak maximum and per-channel meters with clip lights.
//
// Threads: an analyzer belongs to one thread at a time: the one that
// builds it, then the audio thread that runs it (through the block driver).
// Its readings are read on that thread and handed to others as copies.
#pragma once

#include "ChannelConfig.h"
#include "ChannelPeakMeter.h"
#include "GatedIntegrator.h"
#include "KWeightingBank.h"
#include "LoudnessPiece.h"
#include "LoudnessRangeMeter.h"
#include "LoudnessWindow.h"
#include "TruePeakBank.h"

namespace kalvo5 {

// The block form works through longer blocks in pieces of this many samples.
inline constexpr int kEBUBlockFrames = kLoudnessPieceFrames;

struct EBUAnalyzer {
  double sampleRate = 48000.0;
  TruePeakBank truePeak;       // the six channels' true-peak detectors
  KWeightingBank kWeighting;   // shelf, then high-pass, per channel
  LoudnessWindow momentary;    // 400 ms, a block every 100 ms
  LoudnessWindow shortTerm;    // 3 s, a block about every 100 ms
  GatedIntegrator integrator;  // momentary blocks: gates -70 LUFS and -10 LU
  LoudnessRangeMeter range;    // short-term values: gates -70 LUFS and -20 LU, 10th to 95th percentile
  ChannelPeakMeter meters[kAnalyzerChannels];                    // envelope falling 20 dB per second
  LoudnessChannelConfig config = LoudnessChannelConfig::Stereo;  // of the latest sample
  LoudnessPieceState pieces;  // the block form's scratch and filter settling
};

// Designs the K-weighting for the rate, obtains the windows' rings and the
// integrator's memory, and resets. False when memory was
// not available (the loudness readings then stay at their reset values), and
// false, changing nothing, for a rate that is not finite and positive.
// Without withMemory it holds no memory and measures as without it, until
// ExchangeEBUMemory brings some.
bool InitEBU(EBUAnalyzer& analyzer, double sampleRate, bool withMemory = true);

// The analyzer holds the memory of its windows and integrator.
inline bool EBUHasMemory(const EBUAnalyzer& analyzer) {
  return analyzer.momentary.values.length > 0 && analyzer.shortTerm.values.length > 0 &&
         analyzer.integrator.binCount > 0;
}

// Exchanges the memory of two analyzers initialised for the same rate: the
// windows and the integrator of `other` go to `analyzer` and its own go to
// `other`; the analyzer then resets. Allocation-free: how memory obtained
// elsewhere (in `other`) is put in place on the audio thread.
void ExchangeEBUMemory(EBUAnalyzer& analyzer, EBUAnalyzer& other);

// Clears filters, detectors, windows, integrator, range meter and meters.
void ResetEBU(EBUAnalyzer& analyzer);

// Per sample, always: the true-peak detectors (with truePeakOn) and the
// channel meters of all six channels, the channels outside the layout
// taking 0. x holds the six pre-gained samples.
void MeterEBU(EBUAnalyzer& analyzer, LoudnessChannelConfig config, bool truePeakOn,
              const double (&x)[kAnalyzerChannels]);

// Per sample: the K-weighting of all six channels and, while measuring, the
// loudness windows, integrator and range meter.
void MeasureEBU(EBUAnalyzer& analyzer, LoudnessChannelConfig config, bool measuring,
                const double (&x)[kAnalyzerChannels]);

// Block form of MeterEBU and MeasureEBU together: `frames` samples of the
// layout's channels, x[c] for c below its channel count (the others take 0),
// with the same readings, sample for sample, to within floating-point
// rounding (the K-weighting residue of channels outside the layout is
// dropped once it has faded below 1e-40 in power); the loudness readings
// are the same at every split of the samples into calls.
void ProcessEBUBlock(EBUAnalyzer& analyzer, LoudnessChannelConfig config, bool truePeakOn, bool measuring,
                     const double* const* x, int frames);

// Readings in LUFS (LU for the range, dBTP for the true peak). Momentary and
// short-term loudness are unrounded, the others rounded to 0.1. Before any
// value: -141 for the integrated loudness, -144 for the others.
double EBUMomentary(const EBUAnalyzer& analyzer);
double EBUMomentaryMax(const EBUAnalyzer& analyzer);
double EBUShortTerm(const EBUAnalyzer& analyzer);
double EBUShortTermMax(const EBUAnalyzer& analyzer);
double EBUIntegrated(const EBUAnalyzer& analyzer);
double EBULoudnessRange(const EBUAnalyzer& analyzer);
double EBUTruePeakMax(const EBUAnalyzer& analyzer);
bool EBUIntegratedValid(const EBUAnalyzer& analyzer);
// The integrated loudness is only the early estimate of blocks taken while
// the momentary window still filled: no complete 400 ms block yet.
bool EBUIntegratedEarly(const EBUAnalyzer& analyzer);
bool EBURangeValid(const EBUAnalyzer& analyzer);

}  // namespace kalvo5
