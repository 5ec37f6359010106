// Level scales shared by every analyzer and by the plug-in's read-outs.
#pragma once

#include <cmath>

namespace kalvo5 {

// The reading that stands for "no signal" on every dB and loudness scale.
inline constexpr double kSilenceDb = -144.0;

// 10^(dB/20) as the meter computes it everywhere: exp(dB * ln(10)/20).
inline constexpr double kDbToExponent = 0.11512925464970228;

inline double DbToGain(double db) { return std::exp(db * kDbToExponent); }

// Magnitude (RMS value or peak, linear) to dBFS; -144 for anything at or
// below 6.309e-08 (about -144 dB).
inline double MagnitudeToDb(double magnitude) {
  return magnitude <= 6.309e-08 ? kSilenceDb : 20.0 * std::log10(magnitude);
}

// Mean square (channel-weighted, K-weighted) to BS.1770 loudness in LUFS/LKFS;
// -144 when |v| <= 4.667e-15.
inline double MeanSquareToLoudness(double meanSquare) {
  return std::fabs(meanSquare) <= 4.667e-15 ? kSilenceDb : 10.0 * std::log10(meanSquare) - 0.691;
}

// Rounding of displayed and automated values to 0.1: floor(10x + 0.5)/10.
inline double RoundToTenth(double value) { return std::floor(10.0 * value + 0.5) / 10.0; }

}  // namespace kalvo5
