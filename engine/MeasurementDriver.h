// The block driver of the measurement: owns the three analyzers and the six
// weighting filters, applies the pre-gain of the active analyzer type, routes
// the channels of its configuration into it sample by sample, writes the
// pass-through, follows the host transport for "Sync", and paces the editor
// refresh and the automation output.
//
// Threads: every function of the driver in use runs under the plug-in's
// measurement lock; a driver is built for a new rate (Init) before it is put
// in place, without the lock.
#pragma once

#include <cstdint>

#include "engine/ChannelConfig.h"
#include "engine/DIALAnalyzer.h"
#include "engine/EBUAnalyzer.h"
#include "engine/MeasurementReadings.h"
#include "engine/RMSAnalyzer.h"
#include "engine/WeightingFilter.h"

namespace kalvo5 {

// The settings the analyzers are created with.
struct AnalyzerSetup {
  double rmsWindowMs = 600.0;     // "RMS Window"
  int rmsMeterMode = 0;           // "RMS Meter Mode"
  int weightingMode = 0;          // "RMS Weighting Filer Mode"
  double dialWindowMs = 10000.0;  // "Dial S-Window"
};

// What one block reads of the plug-in's settings.
struct BlockSettings {
  int type = kAnalyzerRMS;       // "Type"; other values measure nothing and pass audio unchanged
  int config = 0;                // the channel configuration of that type
  double gainDb = 0.0;           // the pre-gain of that type
  bool truePeak = true;          // "Toggle TruePeak measurement"
  bool allOutputs = false;       // "No link output to chan conf"
  bool sync = false;             // "Sync"
  bool noResetOnSync = false;    // "No reset during DAW sync"
  bool writeAutomation = false;  // "WriteAutomationData"
};

// What one block asks of the plug-in's idle handler.
struct BlockRequests {
  bool metersDirty = false;
  bool readoutsDirty = false;
  bool automationDue = false;
};

// The pacing intervals of the editor refresh and the automation output.
inline constexpr double kMeterRefreshMs = 50.0;
inline constexpr double kReadoutRefreshMs = 100.0;
inline constexpr double kAutomationIntervalMs = 50.0;

class MeasurementDriver {
 public:
  // Creates the analyzers for the rate with the given window, meter mode,
  // weighting and dialogue window; restarts the pacing counters. Rates that
  // are not finite or <= 0 keep the previous rate.
  void Init(double sampleRate, const AnalyzerSetup& setup);
  // Clears all meters and readings of the three analyzers and the filters.
  void Reset();

  // Re-configuration by the parameter reactions.
  void SetRMSWindow(double ms);
  void SetRMSMeterMode(int mode);
  void DesignWeightings(int weightingMode);
  void SetDIALWindow(double ms);
  // The dialogue window in two steps (see DIALAnalyzer.h): memory obtained
  // before the lock, put in place under it.
  FixedArray<double> DIALWindowMemoryFor(double ms) const;
  void SetDIALWindow(double ms, FixedArray<double>& spare);

  // One block. inputs has nIn channels, outputs nOut (each at most 6 are
  // used); a missing input reads as 0, a missing output is not written.
  // playing is the host transport of this block; editorOpen whether an open
  // editor shows controls.
  BlockRequests Process(const double* const* inputs, int nIn, double* const* outputs, int nOut, int nFrames,
                        const BlockSettings& settings, bool playing, bool editorOpen);

  // The readings of one analyzer type (the others keep their defaults).
  MeasurementReadings Read(int type) const;

  double SampleRate() const { return mSampleRate; }

 private:
  struct Pacer {
    std::int64_t period = 1;
    std::int64_t count = 0;
    // Counts frames; true when the period was reached.
    bool Advance(std::int64_t frames);
  };

  void MeasureSample(int type, int config, bool measuring, bool truePeak,
                     const double (&m)[kAnalyzerChannels]);
  // The EBU type block-wise: routing, the analyzer's block form and the
  // outputs, piece by piece.
  void ProcessEBUBlocks(const double* const* inputs, int nIn, double* const* outputs, int nOut, int nFrames,
                        const BlockSettings& settings, double gain, bool measuring,
                        const bool (&writes)[kAnalyzerChannels]);

  double mSampleRate = 48000.0;
  RMSAnalyzer mRms;
  EBUAnalyzer mEbu;
  DIALAnalyzer mDial;
  WeightingFilter mWeighting[kAnalyzerChannels];
  bool mRunning = false;  // transport seen at the previous block
  Pacer mMeters;
  Pacer mReadouts;
  Pacer mAutomation;
  // One piece of the block form: the pass-through values per channel, which
  // for the measured channels are also what the analyzer takes.
  alignas(32) double mPass[kAnalyzerChannels][kEBUBlockFrames] = {};
};

}  // namespace kalvo5
