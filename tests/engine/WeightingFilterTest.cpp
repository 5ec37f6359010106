#include "engine/WeightingFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <numbers>
#include <vector>

#include "support/Signals.h"

namespace kalvo5 {
namespace {

using Complex = std::complex<double>;

Complex Response(const BiquadCoefficients& c, double w) {
  const Complex z1 = std::polar(1.0, -w);
  const Complex z2 = z1 * z1;
  return (c.b0 + c.b1 * z1 + c.b2 * z2) / (c.a0 + c.a1 * z1 + c.a2 * z2);
}

// A section run at twice the rate on a zero-stuffed input, keeping the second
// of each pair of outputs doubled, responds with H(w/2) - H(w/2 + pi).
Complex SectionResponse(const BiquadSection& s, double w) {
  if (s.type != SectionType::DoubleRateLowPass) return Response(s.coefficients, w);
  return Response(s.coefficients, w / 2.0) - Response(s.coefficients, w / 2.0 + std::numbers::pi);
}

// Which sections each mode runs; written out here rather than read from the
// filter so that a wrong section list in the design shows up.
std::vector<int> SectionsOf(WeightingMode mode) {
  switch (mode) {
    case WeightingMode::LeqA:
    case WeightingMode::LeqAPlus3:
      return {0, 1, 2, 3, 4, 5};
    case WeightingMode::LeqB:
      return {1, 3, 4, 5};
    case WeightingMode::LeqC:
      return {0, 1, 3, 4, 5};
    case WeightingMode::LeqM:
      return {1, 2, 3, 4, 5, 6};
    default:
      return {};
  }
}

double ClosedFormDb(const WeightingFilter& f, WeightingMode mode, double frequency, double fs) {
  const double w = 2.0 * std::numbers::pi * frequency / fs;
  Complex h = f.gain;
  if (mode == WeightingMode::BS1770) {
    h *= Response(f.kHighPass.coefficients, w) * Response(f.kShelf.coefficients, w);
  } else {
    for (int index : SectionsOf(mode)) h *= SectionResponse(f.sections[index], w);
  }
  return 20.0 * std::log10(std::abs(h));
}

double MeasuredDb(WeightingFilter& f, double frequency, double fs) {
  const auto settle = static_cast<std::size_t>(0.4 * fs);
  const auto fit = static_cast<std::size_t>(0.2 * fs);
  const std::vector<double> x = test::Sine(frequency, fs, 1.0, settle + fit);
  std::vector<double> y(fit);
  for (std::size_t n = 0; n < settle; ++n) ProcessWeighting(f, x[n]);
  // The fit starts its own phase at n = 0, which a pure sinusoid allows.
  for (std::size_t n = 0; n < fit; ++n) y[n] = ProcessWeighting(f, x[settle + n]);
  return 20.0 * std::log10(test::FittedAmplitude(y, frequency, fs));
}

constexpr WeightingMode kWeightedModes[] = {WeightingMode::BS1770, WeightingMode::LeqA,
                                            WeightingMode::LeqB,   WeightingMode::LeqC,
                                            WeightingMode::LeqM,   WeightingMode::LeqAPlus3};

TEST(WeightingFilter, SteadySineResponseMatchesTheDesignEveryModeAndRate) {
  const double rates[] = {32000, 44100, 48000, 96000, 192000, 384000};
  const double frequencies[] = {20, 50, 100, 200, 500, 1000, 2000, 4000, 8000, 12000, 15000, 20000};
  for (double fs : rates) {
    for (WeightingMode mode : kWeightedModes) {
      WeightingFilter filter;
      DesignWeighting(mode, fs, filter);
      for (double f : frequencies) {
        if (f >= fs / 2) continue;
        ResetWeighting(filter);
        const double expected = ClosedFormDb(filter, mode, f, fs);
        ASSERT_TRUE(std::isfinite(expected));
        EXPECT_NEAR(MeasuredDb(filter, f, fs), expected, 0.01)
            << "mode " << static_cast<int>(mode) << " fs " << fs << " f " << f;
      }
    }
  }
}

TEST(WeightingFilter, KWeightingAt48kMatchesThePublishedCoefficients) {
  KWeightingStage shelf, highPass;
  DesignKShelf(shelf, 48000.0);
  DesignKHighPass(highPass, 48000.0);
  const BiquadCoefficients& s = shelf.coefficients;
  EXPECT_NEAR(s.b0, 1.53512485958697, 1e-9);
  EXPECT_NEAR(s.b1, -2.69169618940638, 1e-9);
  EXPECT_NEAR(s.b2, 1.19839281085285, 1e-9);
  EXPECT_NEAR(s.a1, -1.69065929318241, 1e-9);
  EXPECT_NEAR(s.a2, 0.73248077421585, 1e-9);
  const BiquadCoefficients& h = highPass.coefficients;
  EXPECT_NEAR(h.b0, 1.0, 1e-9);
  EXPECT_NEAR(h.b1, -2.0, 1e-9);
  EXPECT_NEAR(h.b2, 1.0, 1e-9);
  EXPECT_NEAR(h.a1, -1.99004745483398, 1e-9);
  EXPECT_NEAR(h.a2, 0.99007225036621, 1e-9);
  EXPECT_EQ(s.a0, 1.0);
  EXPECT_EQ(h.a0, 1.0);
}

TEST(WeightingFilter, KWeightingGainNearOneKilohertz) {
  // Published: +0.6910 dB at 997 Hz and +0.6977 dB at 1000 Hz (48 kHz).
  KWeightingStage shelf, highPass;
  DesignKShelf(shelf, 48000.0);
  DesignKHighPass(highPass, 48000.0);
  auto gainDb = [&](double f) {
    const double w = 2.0 * std::numbers::pi * f / 48000.0;
    return 20.0 * std::log10(std::abs(Response(shelf.coefficients, w) * Response(highPass.coefficients, w)));
  };
  EXPECT_NEAR(gainDb(997.0), 0.6910, 0.0005);
  EXPECT_NEAR(gainDb(1000.0), 0.6977, 0.0005);

  // And by running a sine through the "BS1770" weighting (which adds -0.671 dB).
  WeightingFilter filter;
  DesignWeighting(WeightingMode::BS1770, 48000.0, filter);
  EXPECT_NEAR(MeasuredDb(filter, 997.0, 48000.0), 0.6910 - 0.671, 0.001);
}

TEST(WeightingFilter, LeqAPlus3IsExactlyThreeDecibelsAboveLeqA) {
  WeightingFilter a, a3;
  DesignWeighting(WeightingMode::LeqA, 48000.0, a);
  DesignWeighting(WeightingMode::LeqAPlus3, 48000.0, a3);
  const std::vector<double> x = test::Noise(7, 0.5, 48000);
  std::vector<double> ya(x.size()), ya3(x.size());
  for (std::size_t n = 0; n < x.size(); ++n) {
    ya[n] = ProcessWeighting(a, x[n]);
    ya3[n] = ProcessWeighting(a3, x[n]);
  }
  const double difference =
      test::MeanSquareDb(ya3.data(), ya3.size()) - test::MeanSquareDb(ya.data(), ya.size());
  EXPECT_NEAR(difference, 3.0, 1e-9);
}

TEST(WeightingFilter, NoneModePassesInputBitForBit) {
  WeightingFilter filter;
  DesignWeighting(WeightingMode::None, 48000.0, filter);
  const double inputs[] = {0.0,    -0.0,        1.0,   -1.0,
                           1e-310, 0.123456789, 1e300, std::numeric_limits<double>::infinity()};
  for (double x : inputs) {
    const double y = ProcessWeighting(filter, x);
    EXPECT_EQ(std::memcmp(&x, &y, sizeof x), 0) << x;
  }
  // An out-of-range mode number behaves as "---".
  DesignWeighting(static_cast<WeightingMode>(42), 48000.0, filter);
  EXPECT_EQ(ProcessWeighting(filter, 0.25), 0.25);
}

bool HasDenormal(const BiquadState& s) {
  for (double v : {s.x1, s.x2, s.x, s.y1, s.y2, s.y})
    if (std::fpclassify(v) == FP_SUBNORMAL) return true;
  return false;
}

TEST(WeightingFilter, SilenceAfterSignalNeverLeavesDenormalsInTheState) {
  for (double fs : {44100.0, 48000.0, 96000.0}) {
    for (WeightingMode mode : kWeightedModes) {
      WeightingFilter filter;
      DesignWeighting(mode, fs, filter);
      for (double x : test::Sine(1000.0, fs, 0.5, 4800)) ProcessWeighting(filter, x);
      for (int n = 0; n < static_cast<int>(fs) * 20; ++n) {
        const double y = ProcessWeighting(filter, 0.0);
        ASSERT_NE(std::fpclassify(y), FP_SUBNORMAL);
      }
      EXPECT_FALSE(HasDenormal(filter.kShelf.state));
      EXPECT_FALSE(HasDenormal(filter.kHighPass.state));
      for (const BiquadSection& s : filter.sections) EXPECT_FALSE(HasDenormal(s.state));
    }
  }
}

TEST(WeightingFilter, FrequenciesAboveNyquistAreDesignedJustBelowIt) {
  BiquadSection clamped, direct;
  DesignSection(SectionType::HighShelf, 8.0, 32000.0, clamped, 19000.0, 0.64);
  DesignSection(SectionType::HighShelf, 8.0, 32000.0, direct, 15999.0, 0.64);
  EXPECT_EQ(clamped.coefficients.b0, direct.coefficients.b0);
  EXPECT_EQ(clamped.coefficients.a1, direct.coefficients.a1);
  EXPECT_EQ(clamped.coefficients.a2, direct.coefficients.a2);
}

TEST(WeightingFilter, LeqMAbove192kUsesTheHighRateDesign) {
  WeightingFilter high, top;
  DesignWeighting(WeightingMode::LeqM, 384000.0, top);
  DesignWeighting(WeightingMode::LeqM, 192000.0, high);
  EXPECT_DOUBLE_EQ(top.offsetDb, 6.300000000000001);
  EXPECT_EQ(top.sections[5].type, SectionType::HighShelf);
  EXPECT_GT(top.gain, 1.0);
  // At 1 kHz the two designs agree closely; the meter stays alive.
  EXPECT_NEAR(ClosedFormDb(top, WeightingMode::LeqM, 1000.0, 384000.0),
              ClosedFormDb(high, WeightingMode::LeqM, 1000.0, 192000.0), 0.1);
}

TEST(WeightingFilter, ResetAfterNonFiniteInputRestoresAFreshFilter) {
  for (WeightingMode mode : kWeightedModes) {
    WeightingFilter used, fresh;
    DesignWeighting(mode, 48000.0, used);
    DesignWeighting(mode, 48000.0, fresh);
    ProcessWeighting(used, std::numeric_limits<double>::quiet_NaN());
    ProcessWeighting(used, std::numeric_limits<double>::infinity());
    ResetWeighting(used);
    for (double x : test::Noise(3, 1.0, 1000))
      EXPECT_EQ(ProcessWeighting(used, x), ProcessWeighting(fresh, x));
  }
}

TEST(WeightingFilter, RedesignClearsOnlyTheStagesItDesigns) {
  WeightingFilter filter;
  DesignWeighting(WeightingMode::LeqA, 48000.0, filter);
  for (double x : test::Noise(5, 1.0, 100)) ProcessWeighting(filter, x);
  DesignWeighting(WeightingMode::LeqB, 48000.0, filter);
  EXPECT_EQ(filter.sections[1].state.y1, 0.0);
  EXPECT_NE(filter.sections[0].state.y1, 0.0);  // S0 is not part of Leq(B)
}

}  // namespace
}  // namespace kalvo5
