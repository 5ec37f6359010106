// The measurement behind the analyzer type "DIAL": dialogue-gated loudness.
// The channels of the layout are K-weighted and summed as for the EBU
// analyzer into a 400 ms momentary loudness and a loudness over an
// adjustable window ("Dial S-Window"); a mono downmix goes in 100 ms blocks
// to the dialogue gate, and only blocks judged speech enter the integrated
// loudness and the speech loudness range. Loudness in LKFS.
//
// Threads: an analyzer belongs to one thread at a time: the one that
// builds it, then the audio thread that runs it (through the block driver).
// Its readings are read on that thread and handed to others as copies.
#pragma once

#include "ChannelConfig.h"
#include "ChannelPeakMeter.h"
#include "DialogGate.h"
#include "FixedArray.h"
#include "KWeightingBank.h"
#include "LoudnessPiece.h"
#include "LoudnessRangeMeter.h"
#include "LoudnessWindow.h"
#include "TruePeakBank.h"

namespace kalvo5 {

// The block form works through longer blocks in pieces of this many samples.
inline constexpr int kDIALBlockFrames = kLoudnessPieceFrames;

struct DIALAnalyzer {
  double sampleRate = 48000.0;
  double windowMs = 10000.0;
  TruePeakBank truePeak;      // summed phase by phase, as TruePeakDetector sums
  KWeightingBank kWeighting;  // high-pass, then shelf, per channel; the block form sums as per sample
  LoudnessWindow momentary;   // 400 ms, a block every 100 ms (block-updated)
  LoudnessWindow sWindow;     // windowMs, a block about every 100 ms (block-updated)

  // The mono downmix of the current 100 ms, in single precision.
  FixedArray<float> block;
  int blockLength = 0;  // B = trunc(0.1 fs)
  int blockIndex = 0;
  bool blockReady = false;  // the latest sample completed a block

  DialogGate gate;
  LoudnessRangeMeter speechRange;  // window values of speech blocks: gate -70 LKFS, no relative gate
  LoudnessRangeMeter windowRange;  // every window value: gates -70 LKFS and -20 LU
  ChannelPeakMeter meters[kAnalyzerChannels];                    // peak falling 40 dB per second
  LoudnessChannelConfig config = LoudnessChannelConfig::Stereo;  // of the latest sample
  LoudnessPieceState pieces;  // the block form's scratch and filter settling
};

// Designs the K-weighting, obtains all memory (windows, block, gate with its
// speech detector) and resets. The gate is enabled at every rate the speech
// detector takes (FindSpeechRoute); at others (below 8 kHz, or a rate with
// no small ratio to 16 kHz) the dialogue-gated readings keep their reset
// values. windowMs is clamped to 10 ... 99999 (non-finite: 10000).
// False when some memory was not available (that part then stays silent).
// Without withMemory the windows and the block get no memory (and measure
// nothing) until ExchangeDIALMemory brings it; the gate is set up all the
// same.
bool InitDIAL(DIALAnalyzer& analyzer, double sampleRate, double windowMs, bool withMemory = true);

// The ring length (samples) the adjustable window needs for ms at the rate,
// and the one it has.
int DIALWindowRingSamples(double sampleRate, double ms);
inline int DIALWindowCapacity(const DIALAnalyzer& analyzer) {
  return static_cast<int>(analyzer.sWindow.values.ring.size());
}

// The analyzer holds the memory of both windows and of the block.
inline bool DIALHasMemory(const DIALAnalyzer& analyzer) {
  return analyzer.momentary.values.length > 0 && analyzer.sWindow.values.length > 0 &&
         analyzer.blockLength > 0;
}

// Exchanges the memory of two analyzers initialised for the same rate: the
// windows (with the adjustable window's length) and the block of `other` go
// to `analyzer` and its own go to `other`; the analyzer then resets.
// Allocation-free: how memory obtained elsewhere (in `other`) is put in
// place on the audio thread.
void ExchangeDIALMemory(DIALAnalyzer& analyzer, DIALAnalyzer& other);

// Re-creates the adjustable window with ms (clamped to 10 ... 99999) and
// overlap 1 - 100/ms, so that its blocks come about every 100 ms whatever
// its length. Its content is lost; nothing else changes. Reuses the window's
// memory when the new length fits, else obtains more: call it where
// parameter changes are handled, not per sample. Non-finite ms changes
// nothing; false when the memory was not available.
bool SetDIALWindow(DIALAnalyzer& analyzer, double ms);

// The same in two steps, so that no allocation or free happens where the
// analyzer is locked against the audio thread: DIALWindowMemoryFor obtains
// (and touches) the memory a window of ms needs beyond the current one,
// before the lock; empty when the current memory fits. SetDIALWindow with
// that memory then only exchanges buffers and resets indices; the replaced
// buffer leaves in `spare`, to be freed after the lock is let go.
FixedArray<double> DIALWindowMemoryFor(const DIALAnalyzer& analyzer, double ms);
bool SetDIALWindow(DIALAnalyzer& analyzer, double ms, FixedArray<double>& spare);

// Clears filters, detectors, meters, windows, the block, both range meters
// and the gate, and restarts the speech detector. Allocation-free.
void ResetDIAL(DIALAnalyzer& analyzer);

// Per sample, always: true-peak detectors (with truePeakOn) and channel
// meters of all six channels, those outside the layout taking 0.
void MeterDIAL(DIALAnalyzer& analyzer, LoudnessChannelConfig config, bool truePeakOn,
               const double (&x)[kAnalyzerChannels]);

// Per sample: K-weighting of all six channels and, while measuring, the
// windows, the block for the speech detector, the gate and the range meters.
void MeasureDIAL(DIALAnalyzer& analyzer, LoudnessChannelConfig config, bool measuring,
                 const double (&x)[kAnalyzerChannels]);

// Block form of MeterDIAL and MeasureDIAL together: `frames` samples of the
// layout's channels, x[c] for c below its channel count (the others take 0).
// Every reading and meter ends bit for bit as after the per-sample calls,
// whatever the split of the samples into calls: the channels outside the
// layout are skipped once at rest, and the K-weighting residue they would
// add (below 1e-40 in power) changes only mean squares that read as
// silence. Audio thread; allocation-free.
void ProcessDIALBlock(DIALAnalyzer& analyzer, LoudnessChannelConfig config, bool truePeakOn, bool measuring,
                      const double* const* x, int frames);

// Readings in LKFS (LU for ranges, dBTP for the true peak, 0 ... 1 for the
// speech ratio). Before any value: -144 (0 for the ratio), not valid.
double DIALIntegrated(const DIALAnalyzer& analyzer);  // rounded to 0.1
bool DIALIntegratedValid(const DIALAnalyzer& analyzer);
double DIALSpeechRatio(const DIALAnalyzer& analyzer);
double DIALShortTerm(const DIALAnalyzer& analyzer);     // the window's latest block, unrounded
double DIALShortTermMax(const DIALAnalyzer& analyzer);  // rounded to 0.1
double DIALTruePeakMax(const DIALAnalyzer& analyzer);
double DIALSpeechRange(const DIALAnalyzer& analyzer);
bool DIALSpeechRangeValid(const DIALAnalyzer& analyzer);
double DIALRange(const DIALAnalyzer& analyzer);
bool DIALRangeValid(const DIALAnalyzer& analyzer);
// Whether the speech detector runs (see InitDIAL for the rates it takes).
bool DIALDetectsSpeech(const DIALAnalyzer& analyzer);

}  // namespace kalvo5
