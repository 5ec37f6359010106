// One second-order IIR section: coefficients designed once per sample rate,
// state cleared by reset without touching the design.
#pragma once

namespace kalvo5 {

// b over a; a0 is kept as designed and every output is divided by it.
struct BiquadCoefficients {
  double b0 = 1.0, b1 = 0.0, b2 = 0.0;
  double a0 = 1.0, a1 = 0.0, a2 = 0.0;
};

// Direct form I history. x and y hold copies of the latest input and output.
struct BiquadState {
  double x1 = 0.0, x2 = 0.0, x = 0.0;
  double y1 = 0.0, y2 = 0.0, y = 0.0;
};

// Section design types of the weighting filters.
enum class SectionType : int {
  HighPass = 0,
  DoubleRateLowPass = 1,  // designed at half the normalised frequency, run at 2 fs
  BandPass = 2,           // Orfanidis peaking design with prescribed Nyquist gain
  LowShelf = 4,
  HighShelf = 5,
  HighShelfAlt = 6,  // designed exactly as HighShelf
};

struct BiquadSection {
  BiquadState state;
  SectionType type = SectionType::HighPass;
  BiquadCoefficients coefficients;
};

// Designs one section for the sample rate and clears its state. A frequency
// above fs/2 is designed at fs/2 - 1 Hz. gainDb is used by the shelves only.
void DesignSection(SectionType type, double gainDb, double sampleRate, BiquadSection& section,
                   double frequency, double q);

// Moves the history on by one sample after x gave y.
inline double AdvanceBiquad(BiquadState& s, double x, double y) {
  s.x2 = s.x1;
  s.x1 = x;
  s.x = x;
  s.y2 = s.y1;
  s.y1 = y;
  s.y = y;
  return y;
}

// One filter step: y = (b0 x + b1 x1 + b2 x2 - a1 y1 - a2 y2) / a0 + offset.
// The offset keeps the recursion out of the denormal range on silence.
inline double StepBiquad(const BiquadCoefficients& c, BiquadState& s, double x, double offset) {
  return AdvanceBiquad(s, x,
                       (c.b0 * x + c.b1 * s.x1 + c.b2 * s.x2 - c.a1 * s.y1 - c.a2 * s.y2) / c.a0 + offset);
}

// The same step for a section normalised to a0 = 1 (the K-weighting stages):
// dividing by 1 is exact, so skipping it gives identical results.
inline double StepNormalisedBiquad(const BiquadCoefficients& c, BiquadState& s, double x, double offset) {
  return AdvanceBiquad(s, x, c.b0 * x + c.b1 * s.x1 + c.b2 * s.x2 - c.a1 * s.y1 - c.a2 * s.y2 + offset);
}

}  // namespace kalvo5
