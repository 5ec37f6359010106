#include "ResamplingFilter.h"

#include <cmath>
#include <numbers>

namespace kalvo5 {

namespace {

// Modified Bessel function of the first kind, order 0, by its power series
// (converges quickly for the window's arguments, which stay below 20).
double BesselI0(double x) {
  const double q = 0.25 * x * x;
  double term = 1.0;
  double sum = 1.0;
  for (int k = 1; k < 100 && term > 1e-17 * sum; ++k) {
    term *= q / (static_cast<double>(k) * static_cast<double>(k));
    sum += term;
  }
  return sum;
}

// Impulse response of the raised-cosine low-pass at time t (seconds), before
// scaling: sinc(2 fc t) times the roll-off's own shaping term. The latter has
// a removable singularity at 2 w t = +-1, where its value is pi/4.
double RaisedCosineLowPass(double t, double cutoff, double width) {
  const double x = 2.0 * cutoff * t;
  const double sinc = x == 0.0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
  const double u = 2.0 * width * t;
  const double denominator = 1.0 - u * u;
  const double shaping = std::fabs(denominator) < 1e-9 ? std::numbers::pi / 4.0
                                                       : std::cos(std::numbers::pi * width * t) / denominator;
  return sinc * shaping;
}

// Unscaled tap n of a symmetric filter with centre tap c: the low-pass at
// t = (n - c) / rate under a Kaiser window over -c ... c.
double UnscaledTap(const ResamplingFilterDesign& design, int n, int centre, double windowNorm) {
  const int offset = n - centre;
  const double r = centre == 0 ? 0.0 : static_cast<double>(offset) / centre;
  const double window = BesselI0(design.kaiserBeta * std::sqrt(1.0 - r * r)) * windowNorm;
  return RaisedCosineLowPass(offset / design.designRate, design.cutoffHz, design.transitionHz) * window;
}

}  // namespace

void DesignResamplingFilter(const ResamplingFilterDesign& design, float* coefficients) {
  const int taps = design.taps;
  if (coefficients == nullptr || taps <= 0) return;
  const int centre = (taps - 1) / 2;
  const double windowNorm = 1.0 / BesselI0(design.kaiserBeta);

  double sum = 0.0;
  for (int n = 0; n < taps; ++n) sum += UnscaledTap(design, n, centre, windowNorm);
  const double scale = design.dcGain / sum;
  // Each pair is computed once and mirrored, so the filter is exactly symmetric.
  for (int n = 0; n <= centre; ++n) {
    const float h = static_cast<float>(UnscaledTap(design, n, centre, windowNorm) * scale);
    coefficients[n] = h;
    coefficients[taps - 1 - n] = h;
  }
}

}  // namespace kalvo5
