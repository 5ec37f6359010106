// A copy of the measured values of one analyzer type, in the units the output
// parameters show: taken by the audio thread and published, the one way the
// editor, Match and the automation output see the measurement.
#pragma once

#include "engine/ChannelConfig.h"

namespace kalvo5 {

struct RMSReadings {
  double integrated = -144.0;  // rounded to 0.1
  double momentary = -144.0;
  double momentaryMax = -144.0;
  double peakMax = -144.0;  // rounded to 0.1
  double truePeakMax = -144.0;
  double crest = 0.0;
};

struct EBUReadings {
  double integrated = -141.0;
  bool integratedValid = false;
  bool integratedEarly = false;  // from blocks of a window still filling only
  double momentary = -144.0;
  double momentaryMax = -144.0;
  double shortTerm = -144.0;
  double shortTermMax = -144.0;
  double truePeakMax = -144.0;
  double loudnessRange = -144.0;
  bool rangeValid = false;
};

struct DIALReadings {
  double integrated = -144.0;
  bool integratedValid = false;
  double speechRange = -144.0;
  bool speechRangeValid = false;
  double speechRatio = 0.0;  // 0 ... 1
  double shortTerm = -144.0;
  double shortTermMax = -144.0;
  double truePeakMax = -144.0;
  double range = -144.0;
  bool rangeValid = false;
  // Whether the speech detector runs at the analyzer's rate. Without it the
  // readings that depend on speech (integrated, speech range, percentage)
  // are no measurement, however they read.
  bool speechDetection = true;
};

// One meter column of the active analyzer: linear magnitudes (1 is full
// scale) and the clip light.
struct ChannelMeterReading {
  double maxHold = 0.0;    // the largest level since the reset
  double peak = 0.0;       // the falling peak (or envelope) display
  double clipLight = 0.0;  // 0 dark ... 1 lit
};

struct MeasurementReadings {
  RMSReadings rms;
  EBUReadings ebu;
  DIALReadings dial;
  ChannelMeterReading channels[kAnalyzerChannels];  // of the type read
  double sampleRate = 0.0;                          // the analyzers' rate
};

}  // namespace kalvo5
