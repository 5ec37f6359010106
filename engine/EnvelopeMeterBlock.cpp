#include "EnvelopeMeterBlock.h"

#include <algorithm>
#include <cmath>

#include "MeterGroups.h"
#include "SimdVector.h"

namespace kalvo5 {
namespace {

// UpdateChannelPeakMeterOf<Envelope> with its two random comparisons as
// maxima, which compile to instructions rather than branches that noise
// mispredicts half the time: when the magnitude is at most the peak, the
// envelope's fall lies between them; when it is above, below it. The fall
// is regrouped as peak * fall + magnitude * rest (rest = 1 - fall), so the
// recursion through peak waits for one multiply and one add; it differs from
// the per-sample form's in rounding only.
[[gnu::always_inline]] inline void UpdateEnvelopeMeter(ChannelPeakMeter& m, double magnitude, double rest) {
  m.maxHold = std::max(m.maxHold, magnitude);
  const double peak = std::max(magnitude, m.peak * m.fall + magnitude * rest);
  m.peak = peak < 1e-30 ? 0.0 : peak;
  UpdateClipLight(m);
}

// Two samples, a then b. The envelope after b comes straight from the one
// before a: fall^2 e + (fall rest a + rest b), at least a fall + rest b and
// b (the factor fall >= 0 moves into the maximum), so the recursion takes
// one multiply, one add and one maximum per two samples. The envelope after
// a is worked out beside it for the clip light. (Below 1e-30, where the
// per-sample form cuts the envelope to 0, the two differ by less than that.)
[[gnu::always_inline]] inline void UpdateEnvelopeMeterPair(ChannelPeakMeter& m, double a, double b,
                                                           double rest, double fall2, double fallRest) {
  m.maxHold = std::max(std::max(m.maxHold, a), b);
  const double e = m.peak;
  const double first = std::max(a, e * m.fall + a * rest);
  const double second = std::max(std::max(b, a * m.fall + b * rest), e * fall2 + (a * fallRest + b * rest));
  m.peak = first < 1e-30 ? 0.0 : first;
  UpdateClipLight(m);
  m.peak = second < 1e-30 ? 0.0 : second;
  UpdateClipLight(m);
}

// A run through which a meter's clip light stays dark: it is dark now and
// neither its envelope nor any magnitude of the run is above full scale, so
// no envelope value of the run can be either (each lies between the one
// before and the magnitude). Then only the last envelope matters, and four
// samples compose into one step of the recursion: the envelope after them
// is max(P, fall^4 e + Q), with P and Q from the samples alone (two pairs
// as in UpdateEnvelopeMeterPair, then the pairs composed the same way), so
// the recursion takes one multiply, one add and one maximum per four.
// (The envelope is cut to 0 below 1e-30 at the end of the run rather than
// sample by sample; the two differ by less than that.)
bool StaysDark(const ChannelPeakMeter& m, double largest) {
  return m.light == 0.0 && m.peak <= 1.0 && largest <= 1.0;
}

// A value fed to the meters as the magnitude it stands for.
template <MeterValues kValues>
[[gnu::always_inline]] inline double MagnitudeOf(double value) {
  return kValues == MeterValues::Samples ? std::fabs(value) : value;
}

// std::max lane by lane, to the same result for equal lanes.
template <typename V>
[[gnu::always_inline]] inline V LaneMax(V a, V b) {
  return a < b ? b : a;
}

// The dark runs of meters that are dark, with envelopes and max holds at
// most full scale: false, leaving the meters as they were, when a
// magnitude turns out to be above full scale (the run is then not dark).
// The largest magnitude is taken in the same pass.
template <MeterValues kValues, int kWays>
bool DarkEnvelopeRuns(ChannelPeakMeter (&m)[kWays], const double* const* magnitudes, int n) {
  // The ways two by two in the lanes of a register (the second lane of an
  // odd way out idles at 0).
  using simd::Vec2;
  constexpr int kPairs = (kWays + 1) / 2;
  const auto x = [magnitudes](int i, int k) { return MagnitudeOf<kValues>(magnitudes[i][k]); };
  const auto lanes = [&x](int pair, int k) {
    Vec2 v = {};
    for (int l = 0; l < 2 && 2 * pair + l < kWays; ++l) v[l] = x(2 * pair + l, k);
    return v;
  };
  Vec2 fall[kPairs] = {}, e[kPairs] = {}, top[kPairs] = {};
  for (int i = 0; i < kWays; ++i) {
    fall[i / 2][i % 2] = m[i].fall;
    e[i / 2][i % 2] = m[i].peak;
    top[i / 2][i % 2] = m[i].maxHold;
  }
  Vec2 rest[kPairs], fall2[kPairs], fall4[kPairs], fallRest[kPairs];
  for (int j = 0; j < kPairs; ++j) {
    rest[j] = 1.0 - fall[j];
    fall2[j] = fall[j] * fall[j];
    fall4[j] = fall2[j] * fall2[j];
    fallRest[j] = fall[j] * rest[j];
  }
  int k = 0;
  for (; k + 3 < n; k += 4) {
    for (int j = 0; j < kPairs; ++j) {
      const Vec2 x0 = lanes(j, k), x1 = lanes(j, k + 1), x2 = lanes(j, k + 2), x3 = lanes(j, k + 3);
      top[j] = LaneMax(top[j], LaneMax(LaneMax(x0, x1), LaneMax(x2, x3)));
      const Vec2 p1 = LaneMax(x1, x0 * fall[j] + x1 * rest[j]);
      const Vec2 q1 = x0 * fallRest[j] + x1 * rest[j];
      const Vec2 p2 = LaneMax(x3, x2 * fall[j] + x3 * rest[j]);
      const Vec2 q2 = x2 * fallRest[j] + x3 * rest[j];
      const Vec2 p = LaneMax(p2, p1 * fall2[j] + q2);
      const Vec2 q = q1 * fall2[j] + q2;
      e[j] = LaneMax(p, e[j] * fall4[j] + q);
    }
  }
  double largest[kWays];
  for (int i = 0; i < kWays; ++i) {
    largest[i] = top[i / 2][i % 2];
    for (int j = k; j < n; ++j) largest[i] = std::max(largest[i], x(i, j));
    if (!(largest[i] <= 1.0)) return false;
  }
  // The cut to 0 once per run keeps it out of the recursion: within a run
  // the envelope falls by far less than a decibel, never near the denormal
  // range.
  for (int i = 0; i < kWays; ++i) {
    m[i].maxHold = largest[i];
    const double envelope = e[i / 2][i % 2];
    m[i].peak = envelope < 1e-30 ? 0.0 : envelope;
  }
  for (; k < n; ++k)
    for (int i = 0; i < kWays; ++i) UpdateEnvelopeMeter(m[i], x(i, k), rest[i / 2][i % 2]);
  return true;
}

// kWays meters through a run of magnitudes each, on copies the compiler
// keeps in registers: every recursion from sample to sample then waits for
// no memory, and the recursions run side by side.
template <MeterValues kValues, int kWays>
void MeterRuns(ChannelPeakMeter* const* meters, const double* const* magnitudes, int n) {
  const auto x = [magnitudes](int i, int k) { return MagnitudeOf<kValues>(magnitudes[i][k]); };
  ChannelPeakMeter m[kWays];
  bool dark = true;
  for (int i = 0; i < kWays; ++i) {
    m[i] = *meters[i];
    dark = dark && StaysDark(m[i], m[i].maxHold);
  }
  if (!dark || !DarkEnvelopeRuns<kValues, kWays>(m, magnitudes, n)) {
    for (int i = 0; i < kWays; ++i) {
      m[i] = *meters[i];
      m[i].maxHold = kValues == MeterValues::Samples
                         ? simd::LargestMagnitudeOf(magnitudes[i], n, m[i].maxHold)
                         : simd::LargestOf(magnitudes[i], n, m[i].maxHold);
    }
    double rest[kWays];
    double fall2[kWays];
    double fallRest[kWays];
    for (int i = 0; i < kWays; ++i) {
      rest[i] = 1.0 - m[i].fall;
      fall2[i] = m[i].fall * m[i].fall;
      fallRest[i] = m[i].fall * rest[i];
    }
    int k = 0;
    for (; k + 1 < n; k += 2)
      for (int i = 0; i < kWays; ++i)
        UpdateEnvelopeMeterPair(m[i], x(i, k), x(i, k + 1), rest[i], fall2[i], fallRest[i]);
    for (; k < n; ++k)
      for (int i = 0; i < kWays; ++i) UpdateEnvelopeMeter(m[i], x(i, k), rest[i]);
  }
  for (int i = 0; i < kWays; ++i) *meters[i] = m[i];
}

}  // namespace

void UpdateEnvelopeMetersBlock(ChannelPeakMeter* const* meters, const double* const* magnitudes, int count,
                               int n, MeterValues values) {
  InGroupsOfThree(meters, magnitudes, count,
                  [n, values](auto ways, ChannelPeakMeter* const* m, const double* const* x) {
                    if (values == MeterValues::Samples)
                      MeterRuns<MeterValues::Samples, decltype(ways)::value>(m, x, n);
                    else
                      MeterRuns<MeterValues::Magnitudes, decltype(ways)::value>(m, x, n);
                  });
}

}  // namespace kalvo5
