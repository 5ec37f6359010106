#include "ChannelPeakMeter.h"

#include <cmath>

#include "SampleCount.h"

namespace kalvo5 {

void InitChannelPeakMeter(ChannelPeakMeter& m, double fs, PeakFallKind fallKind) {
  m.fallKind = fallKind;
  m.fall = std::pow(10.0, (fallKind == PeakFallKind::Decay ? -2.0 : -1.0) / fs);
  m.attack = 0.0;
  m.release = std::pow(10.0, -1.0 / (0.3 * fs));
  m.hold = ClampSampleCount(fs);
  ResetChannelPeakMeter(m);
}

void ResetChannelPeakMeter(ChannelPeakMeter& m) {
  m.maxHold = 0.0;
  m.peak = 0.0;
  m.light = 0.0;
  m.holdCount = 0;
  m.stage = ClipStage::Idle;
}

}  // namespace kalvo5
