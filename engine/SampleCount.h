// Durations in milliseconds turned into sample counts for a sample rate.
#pragma once

#include <cmath>

namespace kalvo5 {

// The longest ring or period any meter uses, in samples: keeps index
// arithmetic in int far from overflow, whatever the rate.
inline constexpr int kMaxSampleCount = 1 << 30;

// trunc(ms * 0.001 * fs), at least 1 and at most kMaxSampleCount; a
// non-finite product counts as 1. The product is formed left to right so
// lengths come out exactly as the meters define them (for example 4799 for a
// 3 s window with a 29/30 overlap at 48 kHz).
inline int SamplesFor(double ms, double sampleRate) {
  const double samples = ms * 0.001 * sampleRate;
  if (!(samples >= 1.0)) return 1;
  if (samples >= static_cast<double>(kMaxSampleCount)) return kMaxSampleCount;
  return static_cast<int>(samples);
}

// The same clamp for a count already computed as a double.
inline int ClampSampleCount(double samples) {
  if (!(samples >= 1.0)) return 1;
  if (samples >= static_cast<double>(kMaxSampleCount)) return kMaxSampleCount;
  return static_cast<int>(samples);
}

}  // namespace kalvo5
