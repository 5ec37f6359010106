// The per-channel meter behind each meter bar: the largest level since the
// reset, a falling peak display and the clip light with its hold and fade.
#pragma once

#include <cstdint>

namespace kalvo5 {

// How the displayed peak falls after a rise (both rise at once).
enum class PeakFallKind : int {
  Decay = 0,     // multiplied by 10^(-2/fs) per sample: 40 dB per second
  Envelope = 1,  // released towards the input by 10^(-1/fs) per sample
};

enum class ClipStage : int {
  Idle = 0,
  Holding = 1,    // lit, counting the hold time
  Releasing = 4,  // fading towards the target
};

// What the block forms of the meters are fed: magnitudes, or finite samples
// of either sign, whose magnitudes the meters take themselves.
enum class MeterValues : int { Magnitudes = 0, Samples = 1 };

struct ChannelPeakMeter {
  // Fixed at init.
  PeakFallKind fallKind = PeakFallKind::Decay;
  double fall = 1.0;      // per-sample coefficient of the peak display
  double attack = 0.0;    // clip light rise: instantaneous
  double release = 0.0;   // clip light fade: 10^(-1/(0.3 fs)), to 10 % in 0.3 s
  std::int64_t hold = 1;  // clip light hold: trunc(fs) samples, one second

  // State, read by the editor (linear magnitudes; light 0 ... 1).
  double maxHold = 0.0;
  double peak = 0.0;  // the falling peak display (peak follower or envelope)
  double light = 0.0;
  std::int64_t holdCount = 0;
  ClipStage stage = ClipStage::Idle;
};

void InitChannelPeakMeter(ChannelPeakMeter& m, double sampleRate, PeakFallKind fallKind);

void ResetChannelPeakMeter(ChannelPeakMeter& m);

// The clip light, after the peak display has moved: it lights when the peak
// exceeds full scale (1.0), holds, then fades.
[[gnu::always_inline]] inline void UpdateClipLight(ChannelPeakMeter& m) {
  const double target = m.peak > 1.0 ? 1.0 : 0.0;
  if (target == 0.0 && m.light == 0.0) return;  // dark and staying dark: nothing changes
  if (target > m.light) {
    m.light = target + (m.light - target) * m.attack;
    m.holdCount = 0;
    m.stage = ClipStage::Holding;
  } else {
    if (m.stage == ClipStage::Holding && ++m.holdCount > m.hold) m.stage = ClipStage::Releasing;
    if (m.stage == ClipStage::Releasing) m.light = target + (m.light - target) * m.release;
  }
  if (m.light < 1e-08) m.light = 0.0;
}

// One sample's magnitude (|x|, or a true-peak estimate), for a meter whose
// fall kind is known where it is called. The clip light lights when the
// peak display exceeds full scale (1.0).
template <PeakFallKind kKind>
inline void UpdateChannelPeakMeterOf(ChannelPeakMeter& m, double magnitude) {
  // Selections rather than branches: on programme material the comparisons
  // go either way at random.
  m.maxHold = magnitude > m.maxHold ? magnitude : m.maxHold;
  const double fallen =
      kKind == PeakFallKind::Decay ? m.peak * m.fall : magnitude + (m.peak - magnitude) * m.fall;
  const double peak = magnitude > m.peak ? magnitude : fallen;
  // Far below anything displayed: stop before the fall turns denormal.
  m.peak = peak < 1e-30 ? 0.0 : peak;

  UpdateClipLight(m);
}

// The same for the meter's own fall kind.
inline void UpdateChannelPeakMeter(ChannelPeakMeter& m, double magnitude) {
  if (m.fallKind == PeakFallKind::Decay)
    UpdateChannelPeakMeterOf<PeakFallKind::Decay>(m, magnitude);
  else
    UpdateChannelPeakMeterOf<PeakFallKind::Envelope>(m, magnitude);
}

}  // namespace kalvo5
