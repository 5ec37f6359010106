// The block driver of the measurement: owns the three analyzers and the six
// weighting filters, applies the pre-gain of the active analyzer type, routes
// the channels of its configuration into it, writes the pass-through and
// follows the host transport for "Sync".
//
// Threads: a driver is built (Init, which allocates) on one thread and then
// run by the audio thread alone; every function but Init is allocation-free.
#pragma once

#include <cstdint>
#include <memory>

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
  int type = kAnalyzerRMS;        // "Type": decides which analyzers hold memory (MemorySizesFor)
};

// The memory the analyzers hold, or need for a setup: the ring length
// (samples) of the RMS windows (the momentary window and the Leq(M) long
// window, as long) and of the DIAL window, and whether the EBU analyzer has
// its windows and integrator. 0 or false: that analyzer holds nothing.
struct MemorySizes {
  int rmsWindow = 0;
  bool ebu = false;
  int dialWindow = 0;
};
// `have` is enough to measure what `need` asks for.
inline bool Covers(const MemorySizes& have, const MemorySizes& need) {
  return have.rmsWindow >= need.rmsWindow && (have.ebu || !need.ebu) && have.dialWindow >= need.dialWindow;
}
// `have` is enough, and holds nothing for an analyzer that needs nothing.
inline bool Fits(const MemorySizes& have, const MemorySizes& need) {
  return Covers(have, need) && (need.rmsWindow > 0 || have.rmsWindow == 0) && (need.ebu || !have.ebu) &&
         (need.dialWindow > 0 || have.dialWindow == 0);
}
// The DIAL type needs the DIAL analyzer's memory, every other type the RMS
// and the EBU analyzers' together: their memory is small, and a host that
// switches between them (automation, possibly on its audio thread, where
// nothing can be obtained) gets a measurement from the first block. The DIAL
// window is large (up to 100 s of samples), so while it is held the others
// hold nothing; choosing DIAL, or leaving it, waits for its memory.
MemorySizes MemorySizesFor(double sampleRate, const AnalyzerSetup& setup);

// Analyzers built off the audio thread for one rate, carrying memory for
// MeasurementDriver::AdoptMemory: an analyzer with the memory a setup needs,
// or one without memory that takes away what is no longer needed. A null
// analyzer leaves that type as it is.
struct AnalyzerMemory {
  double sampleRate = 0.0;
  std::unique_ptr<RMSAnalyzer> rms;
  std::unique_ptr<EBUAnalyzer> ebu;
  std::unique_ptr<DIALAnalyzer> dial;
};
// Builds the analyzers of the types whose memory in `have` does not fit the
// setup (Fits). False when some memory was not available. Never on the audio
// thread.
bool ObtainMemory(AnalyzerMemory& memory, double sampleRate, const AnalyzerSetup& setup,
                  const MemorySizes& have);
// What a driver holding `have` holds once it has adopted `memory`.
MemorySizes MemoryAfter(const MemorySizes& have, const AnalyzerMemory& memory);

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
  // weighting and dialogue window, with the memory the setup needs
  // (MemorySizesFor). Rates that are not finite or <= 0 keep the previous
  // rate. Allocates: never on the audio thread.
  void Init(double sampleRate, const AnalyzerSetup& setup);
  // Clears all meters and readings of the three analyzers and the filters.
  void Reset();

  // The memory the analyzers hold.
  MemorySizes Held() const;
  // Puts the memory the analyzers of `memory` carry in place when it was
  // obtained for this rate; what the analyzers concerned held leaves in
  // `memory`, to be freed elsewhere, and they are reset. Allocation-free.
  void AdoptMemory(AnalyzerMemory& memory);
  // Resets, then applies the setup's window, meter mode, weighting and
  // dialogue window. When the memory in place does not cover the setup,
  // only resets and returns false: adopt what it needs first.
  // Allocation-free.
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
