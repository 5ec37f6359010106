#include "BiquadSection.h"

#include <cmath>
#include <numbers>

namespace kalvo5 {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kPi = std::numbers::pi;

// Bandwidth correction of the band-pass design: a piecewise-linear factor over
// the normalised frequency x = f/fs that keeps the band edges where they belong
// as the centre approaches Nyquist.
double BandwidthCorrection(double x) {
  if (x <= 0.125) return 1.0;
  if (x <= 0.25) return 1.0 + (x - 0.125) * 0.8000000000000007;
  if (x <= 0.294) return 1.1 + (x - 0.25) * 2.7272727272727257;
  if (x <= 0.306) return 1.22 - (x - 0.294) * 5.0;
  if (x <= 0.312) return 1.16 - (x - 0.306) * 3.3333333333333335;
  if (x <= 0.375) return 1.14 - (x - 0.312) * 3.8095238095238075;
  if (x <= 0.45) return 0.9 - (x - 0.375) * 1.3333333333333328;
  if (x <= 0.5) return 0.8 - (x - 0.45) * 1.000000000000001;
  return 0.75;
}

// Orfanidis, "Digital Parametric Equalizer Design with Prescribed Nyquist-
// Frequency Gain" (JAES 1997), with reference gain 0, peak gain 1 and
// bandwidth gain sqrt(0.5): a band-pass whose Nyquist gain follows the analog
// prototype instead of being forced to zero.
BiquadCoefficients DesignBandPass(double w0, double x, double q) {
  const double g = 1.0;
  const double gb = std::sqrt(0.5);
  const double g0 = 0.0;

  const double dw = BandwidthCorrection(x) * 2.0 * std::atan(std::sin(w0 / 2.0) / q);

  double f = std::fabs(g * g - gb * gb);
  if (f < 0.001) f = 1.0;
  const double g00 = std::fabs(g * g - g0 * g0);
  const double f00 = std::fabs(gb * gb - g0 * g0);

  const double pi2 = kPi * kPi;
  const double detune = (w0 * w0 - pi2) * (w0 * w0 - pi2);
  const double g1Squared =
      (g * g * f00 * pi2 * dw * dw / f + g0 * g0 * detune) / (f00 * pi2 * dw * dw / f + detune);
  const double g1 = std::sqrt(g1Squared);
  const double g11 = std::fabs(g * g - g1 * g1);
  const double f11 = std::fabs(gb * gb - g1 * g1);
  const double g01 = std::fabs(g * g - g0 * g1);
  const double f01 = std::fabs(gb * gb - g0 * g1);

  const double halfTan = std::tan(w0 / 2.0);
  const double w2 = std::sqrt(g11 / g00) * halfTan * halfTan;
  const double dW = (1.0 + std::sqrt(f00 / f11) * w2) * std::tan(dw / 2.0);

  const double c = f11 * dW * dW - 2.0 * w2 * (f01 - std::sqrt(f00 * f11));
  const double d = 2.0 * w2 * (g01 - std::sqrt(g00 * g11));
  const double a = std::sqrt((c + d) / f);
  const double b = std::sqrt((g * g * c + gb * gb * d) / f);

  const double s = 1.0 + w2 + a;
  BiquadCoefficients out;
  out.b0 = (g1 + g0 * w2 + b) / s;
  out.b1 = -2.0 * (g1 - g0 * w2) / s;
  out.b2 = (g1 - b + g0 * w2) / s;
  out.a0 = 1.0;
  out.a1 = -2.0 * (1.0 - w2) / s;
  out.a2 = (1.0 + w2 - a) / s;
  return out;
}

}  // namespace

void DesignSection(SectionType type, double gainDb, double fs, BiquadSection& section, double frequency,
                   double q) {
  section.state = BiquadState{};
  section.type = type;

  const double f = frequency > fs * 0.5 ? fs * 0.5 - 1.0 : frequency;
  const double w0 = f * kTwoPi / fs;
  BiquadCoefficients& c = section.coefficients;

  switch (type) {
    case SectionType::HighPass: {
      const double alpha = std::sin(w0) / (2.0 * q);
      const double cw = std::cos(w0);
      c.b0 = (1.0 + cw) / 2.0;
      c.b1 = -(1.0 + cw);
      c.b2 = (1.0 + cw) / 2.0;
      c.a0 = 1.0 + alpha;
      c.a1 = -2.0 * cw;
      c.a2 = 1.0 - alpha;
      break;
    }
    case SectionType::DoubleRateLowPass: {
      const double w = w0 * 0.5;
      const double alpha = std::sin(w) / (2.0 * q);
      const double cw = std::cos(w);
      c.b0 = (1.0 - cw) / 2.0;
      c.b1 = 1.0 - cw;
      c.b2 = (1.0 - cw) / 2.0;
      c.a0 = 1.0 + alpha;
      c.a1 = -2.0 * cw;
      c.a2 = 1.0 - alpha;
      break;
    }
    case SectionType::BandPass:
      c = DesignBandPass(w0, f / fs, q);
      break;
    case SectionType::LowShelf: {
      const double a = std::pow(10.0, gainDb / 40.0);
      const double alpha = std::sin(w0) / (2.0 * q);
      const double cw = std::cos(w0);
      const double twoSqrtAAlpha = 2.0 * std::sqrt(a) * alpha;
      c.b0 = a * ((a + 1.0) - (a - 1.0) * cw + twoSqrtAAlpha);
      c.b1 = 2.0 * a * ((a - 1.0) - (a + 1.0) * cw);
      c.b2 = a * ((a + 1.0) - (a - 1.0) * cw - twoSqrtAAlpha);
      c.a0 = (a + 1.0) + (a - 1.0) * cw + twoSqrtAAlpha;
      c.a1 = -2.0 * ((a - 1.0) + (a + 1.0) * cw);
      c.a2 = (a + 1.0) + (a - 1.0) * cw - twoSqrtAAlpha;
      break;
    }
    case SectionType::HighShelf:
    case SectionType::HighShelfAlt: {
      const double a = std::pow(10.0, gainDb / 40.0);
      const double alpha = std::sin(w0) / (2.0 * q);
      const double cw = std::cos(w0);
      const double twoSqrtAAlpha = 2.0 * std::sqrt(a) * alpha;
      c.b0 = a * ((a + 1.0) + (a - 1.0) * cw + twoSqrtAAlpha);
      c.b1 = -2.0 * a * ((a - 1.0) + (a + 1.0) * cw);
      c.b2 = a * ((a + 1.0) + (a - 1.0) * cw - twoSqrtAAlpha);
      c.a0 = (a + 1.0) - (a - 1.0) * cw + twoSqrtAAlpha;
      c.a1 = 2.0 * ((a - 1.0) - (a + 1.0) * cw);
      c.a2 = (a + 1.0) - (a - 1.0) * cw - twoSqrtAAlpha;
      break;
    }
  }
}

}  // namespace kalvo5
