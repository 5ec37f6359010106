#include "engine/ResamplingFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <utility>
#include <vector>

#include "engine/HalfBandDecimator.h"
#include "engine/SpeechResampler.h"

namespace kalvo5 {
namespace {

// Iterative radix-2 FFT in double precision, independent of the engine's.
void DoubleFft(std::vector<std::complex<double>>& a) {
  const std::size_t n = a.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (std::size_t len = 2; len <= n; len <<= 1) {
    const double angle = -2.0 * std::numbers::pi / static_cast<double>(len);
    for (std::size_t k = 0; k < len / 2; ++k) {
      const std::complex<double> w = std::polar(1.0, angle * static_cast<double>(k));
      for (std::size_t i = 0; i < n; i += len) {
        const std::complex<double> u = a[i + k];
        const std::complex<double> v = a[i + k + len / 2] * w;
        a[i + k] = u + v;
        a[i + k + len / 2] = u - v;
      }
    }
  }
}

// The gain in dB relative to DC of a filter, on a grid of points 0 ... rate/2.
struct Response {
  double rate = 0.0;
  double step = 0.0;  // Hz per point
  std::vector<double> db;

  double At(std::size_t k) const { return static_cast<double>(k) * step; }
  // The first frequency at which the gain falls below `level`, interpolated
  // between grid points.
  double FirstBelow(double level) const {
    for (std::size_t k = 1; k < db.size(); ++k)
      if (db[k] < level) return At(k - 1) + step * (db[k - 1] - level) / (db[k - 1] - db[k]);
    return rate;
  }
  // The frequency above which the gain stays below `level`.
  double StaysBelowFrom(double level) const {
    for (std::size_t k = db.size(); k-- > 0;)
      if (db[k] >= level) return At(k + 1);
    return 0.0;
  }
  double WorstDeviationUpTo(double frequency) const {
    double worst = 0.0;
    for (std::size_t k = 0; At(k) <= frequency; ++k) worst = std::max(worst, std::fabs(db[k]));
    return worst;
  }
  double HighestFrom(double frequency) const {
    double highest = -1000.0;
    for (std::size_t k = db.size(); k-- > 0 && At(k) >= frequency;) highest = std::max(highest, db[k]);
    return highest;
  }
};

Response MeasureResponse(const std::vector<float>& h, double rate, std::size_t points) {
  std::vector<std::complex<double>> a(points);
  double dc = 0.0;
  for (std::size_t i = 0; i < h.size(); ++i) {
    a[i] = h[i];
    dc += static_cast<double>(h[i]);
  }
  DoubleFft(a);
  Response r;
  r.rate = rate;
  r.step = rate / static_cast<double>(points);
  for (std::size_t k = 0; k <= points / 2; ++k)
    r.db.push_back(20.0 * std::log10(std::abs(a[k]) / dc + 1e-300));
  return r;
}

struct Expected {
  int rate;
  int taps;
  double dcGain;
  double minus3, minus6, minus80;  // Hz
  std::size_t points;              // FFT size of the measurement
};

// What the resampler needs of each filter: flat to 6 kHz, cut near 7.3-7.45
// kHz (lower for 32 kHz input, where decimating by 2 folds everything above
// 8 kHz back into the band), and at least 87 dB of rejection above 8.3 kHz.
constexpr Expected kExpected[] = {
    {32000, 129, 0.99, 7040.0, 7170.0, 7850.0, 1u << 16},
    {44100, 28225, 0.99 * 160.0, 7300.0, 7450.0, 8100.0, 1u << 20},
    {48000, 193, 0.99, 7300.0, 7450.0, 8100.0, 1u << 16},
};

SpeechRate RowFor(double rate) {
  SpeechRoute route;
  EXPECT_TRUE(FindSpeechRoute(rate, route));
  return route.row;
}

TEST(ResamplingFilter, EachRateGetsASymmetricLowPassMeetingEveryRequirement) {
  for (const Expected& e : kExpected) {
    SCOPED_TRACE(e.rate);
    const SpeechRate found = RowFor(e.rate);
    const SpeechRate* row = &found;
    ASSERT_EQ(row->filter.taps, e.taps);
    std::vector<float> h(static_cast<std::size_t>(e.taps));
    DesignResamplingFilter(row->filter, h.data());

    double dc = 0.0;
    for (std::size_t i = 0; i < h.size(); ++i) {
      ASSERT_EQ(h[i], h[h.size() - 1 - i]) << i;
      dc += static_cast<double>(h[i]);
    }
    EXPECT_NEAR(dc, e.dcGain, 1e-6 * e.dcGain);
    // Outer taps of the order of 1e-6.
    EXPECT_GT(std::fabs(h[0]), 1e-7);
    EXPECT_LT(std::fabs(h[0]), 1e-5);

    const Response r = MeasureResponse(h, row->filter.designRate, e.points);
    EXPECT_LE(r.WorstDeviationUpTo(6000.0), 0.001);
    EXPECT_NEAR(r.FirstBelow(-3.0), e.minus3, 50.0);
    EXPECT_NEAR(r.FirstBelow(-6.0), e.minus6, 50.0);
    EXPECT_NEAR(r.StaysBelowFrom(-80.0), e.minus80, 50.0);
    // Up to the filter's own Nyquist frequency: for the 44.1 kHz prototype
    // that covers every image of the 160-fold interpolation.
    EXPECT_LE(r.HighestFrom(8300.0), -87.0);
  }
}

// Each of the prototype's 160 phases is the filter one output instant sees:
// all of them must pass DC at 0.99, or the level would depend on the phase.
TEST(ResamplingFilter, EveryPhaseOfThePrototypeHasTheSameGain) {
  const SpeechRate found = RowFor(44100);
  const SpeechRate* row = &found;
  std::vector<float> h(static_cast<std::size_t>(row->filter.taps));
  DesignResamplingFilter(row->filter, h.data());
  for (int phase = 0; phase < row->interpolation; ++phase) {
    double sum = 0.0;
    for (int k = phase; k < row->filter.taps; k += row->interpolation)
      sum += static_cast<double>(h[static_cast<std::size_t>(k)]);
    ASSERT_NEAR(20.0 * std::log10(sum / 0.99), 0.0, 0.001) << phase;
  }
}

// The 2:1 stage in front of the resampler at 64 kHz and up: flat where the
// detector listens (to 8.3 kHz at 64 kHz) and at least 90 dB down where
// halving would fold onto that band.
TEST(ResamplingFilter, TheHalfBandStageKeepsTheSpeechBandAndRejectsWhatWouldFoldOntoIt) {
  std::vector<float> h(kHalfBandTaps);
  HalfBandTaps(DesignHalfBand(), h.data());
  double dc = 0.0;
  for (std::size_t i = 0; i < h.size(); ++i) {
    ASSERT_EQ(h[i], h[h.size() - 1 - i]) << i;
    dc += static_cast<double>(h[i]);
  }
  EXPECT_NEAR(dc, 1.0, 1e-6);
  const Response r = MeasureResponse(h, 1.0, 1u << 16);
  EXPECT_LE(r.WorstDeviationUpTo(0.13), 0.001);
  EXPECT_LE(r.HighestFrom(0.37), -90.0);
}

}  // namespace
}  // namespace kalvo5
