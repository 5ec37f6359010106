// The block driver of the measurement: owns the three analyzers and the six
// weighting filters, applies the pre-gain of the active analyzer type, routes
// the channels of its configuration into it, writes the pass-through and
// follows the host transport for "Sync".
//
// Threads: a driver is built (Init, which allocates) on one thread and then
// run by the audio thread alone; every function but Init is allocation-free.
#pragma once

#include <cstdint>

#include "engine/ChannelConfig.h"
#include "engine/DIALAnalyzer.h"
#include "engine/EBUAnalyzer.h"
#include "engine/MeasurementReadings.h"
#include "engine/RMSAnalyzer.h"
#include "engine/WeightingFilter.h"

namespace kalvo5 {

// The sample rates the measurement is made for: the K-weighting's 1.68 kHz
// shelf must lie well below half the rate, and the weighting designs reach
// 192 kHz.
inline constexpr double kLowestMeasuredRate = 8000.0;
inline constexpr double kHighestMeasuredRate = 192000.0;

// The settings the analyzers are created with.
struct AnalyzerSetup {
  double rmsWindowMs = 600.0;     // "RMS Window"
  int rmsMeterMode = 0;           // "RMS Meter Mode"
  int weightingMode = 0;          // "RMS Weighting Filer Mode"
  double dialWindowMs = 10000.0;  // "Dial S-Window"
  int type = kAnalyzerRMS;        // "Type": the DIAL window holds memory only while DIAL is chosen
};

// The lengths (samples) of the rings that follow a setting: the RMS window
// (and the Leq(M) long window, as long) and the DIAL window.
struct RingSizes {
  int rmsWindow = 0;
  int dialWindow = 0;
};
inline bool Covers(const RingSizes& have, const RingSizes& need) {
  return have.rmsWindow >= need.rmsWindow && have.dialWindow >= need.dialWindow;
}
RingSizes RingSizesFor(double sampleRate, const AnalyzerSetup& setup);

// Rings obtained off the audio thread for one rate, put in place by
// MeasurementDriver::AdoptRings; empty ones are not needed.
struct RingMemory {
  double sampleRate = 0.0;
  FixedArray<double> rmsWindow;
  FixedArray<double> rmsLongWindow;
  FixedArray<double> dialWindow;
};
// Obtains (and touches) the rings of `need` that are longer than `have`.
// False when some memory was not available. Never on the audio thread.
bool ObtainRings(RingMemory& memory, double sampleRate, const RingSizes& need, const RingSizes& have);

// What one block reads of the plug-in's settings.
struct BlockSettings {
  int type = kAnalyzerRMS;     // "Type"; other values measure nothing and pass audio unchanged
  int config = 0;              // the channel configuration of that type
  double gainDb = 0.0;         // the pre-gain of that type
  bool truePeak = true;        // "Toggle TruePeak measurement"
  bool allOutputs = false;     // "No link output to chan conf"
  bool sync = false;           // "Sync"
  bool noResetOnSync = false;  // "No reset during DAW sync"
};

// The channels a block with these settings reads and writes: the measured
// ones, or all six when every output passes its input. The others are left
// alone (outputs keep what the host put there).
ChannelRange ProcessedChannels(const BlockSettings& settings);

class MeasurementDriver {
 public:
  // Creates the analyzers for the rate with the given window, meter mode,
  // weighting and dialogue window, with the rings the setup needs
  // (RingSizesFor). Rates that are not finite or <= 0 keep the previous
  // rate. Allocates: never on the audio thread.
  void Init(double sampleRate, const AnalyzerSetup& setup);
  // Clears all meters and readings of the three analyzers and the filters.
  void Reset();

  // The lengths of the rings in place.
  RingSizes Capacities() const;
  // Puts the longer rings of `memory` in place when it was obtained for this
  // rate; the replaced ones leave in `memory`, to be freed elsewhere. The
  // analyzers concerned are reset. Allocation-free.
  void AdoptRings(RingMemory& memory);
  // Resets, then applies the setup's window, meter mode, weighting and
  // dialogue window. When the rings in place are too short for it, only
  // resets and returns false: adopt longer ones first. Allocation-free.
  bool Configure(const AnalyzerSetup& setup);

  // One block. inputs has nIn channels, outputs nOut (each at most 6 are
  // used); a missing input reads as 0, a missing output is not written.
  // playing is the host transport of this block. False, doing nothing,
  // without inputs, outputs or frames.
  bool Process(const double* const* inputs, int nIn, double* const* outputs, int nOut, int nFrames,
               const BlockSettings& settings, bool playing);

  // The readings of one analyzer type (the others keep their defaults).
  MeasurementReadings Read(int type) const;

  double SampleRate() const { return mSampleRate; }

 private:
  void SetRMSWindow(double ms);
  void SetRMSMeterMode(int mode);
  void DesignWeightings(int weightingMode);

  void MeasureSample(int type, int config, bool measuring, bool truePeak,
                     const double (&m)[kAnalyzerChannels]);
  // The EBU and DIAL types block-wise: routing, the analyzer's block form
  // and the outputs, piece by piece.
  void ProcessLoudnessBlocks(const double* const* inputs, int nIn, double* const* outputs, int nOut,
                             int nFrames, const BlockSettings& settings, double gain, bool measuring,
                             const bool (&writes)[kAnalyzerChannels]);

  double mSampleRate = 48000.0;
  RMSAnalyzer mRms;
  EBUAnalyzer mEbu;
  DIALAnalyzer mDial;
  WeightingFilter mWeighting[kAnalyzerChannels];
  bool mRunning = false;  // transport seen at the previous block
  // One piece of the block form: the pass-through values per channel, which
  // for the measured channels are also what the analyzer takes.
  alignas(32) double mPass[kAnalyzerChannels][kLoudnessPieceFrames] = {};
};

}  // namespace kalvo5
