#include "engine/TruePeakDetector.h"

#include <ebur128.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "support/EbuR128Oracle.h"
#include "support/Signals.h"

namespace kalvo5 {
namespace {

// The two published phases of the BS.1770 interpolation filter.
constexpr double kPhase0[12] = {0.0017089843750,  0.0109863281250,  -0.0196533203125, 0.0332031250000,
                                -0.0594482421875, 0.1373291015625,  0.9721679687500,  -0.1022949218750,
                                0.0476074218750,  -0.0266113281250, 0.0148925781250,  -0.0083007812500};
constexpr double kPhase1[12] = {-0.0291748046875, 0.0292968750000,  -0.0517578125000, 0.0891113281250,
                                -0.1665039062500, 0.4650878906250,  0.7797851562500,  -0.2003173828125,
                                0.1015625000000,  -0.0582275390625, 0.0330810546875,  -0.0189208984375};

TEST(TruePeakDetector, TapSetAIsThePublishedFilterInterleaved) {
  for (int m = 0; m < 12; ++m) {
    EXPECT_EQ(kTruePeakTapsA[4 * m + 0], kPhase0[m]);
    EXPECT_EQ(kTruePeakTapsA[4 * m + 1], kPhase1[m]);
    EXPECT_EQ(kTruePeakTapsA[4 * m + 2], kPhase1[11 - m]);
    EXPECT_EQ(kTruePeakTapsA[4 * m + 3], kPhase0[11 - m]);
  }
  double sumA = 0, sumB = 0;
  for (int i = 0; i < kTruePeakTaps; ++i) {
    sumA += kTruePeakTapsA[i];
    sumB += kTruePeakTapsB[i];
    EXPECT_EQ(kTruePeakTapsB[i], kTruePeakTapsB[47 - i]);
  }
  EXPECT_EQ(sumA, 3.94921875);
  EXPECT_NEAR(sumB, 3.958600850717981, 1e-14);
}

TEST(TruePeakDetector, OversamplingFactorFollowsTheRate) {
  const struct {
    double rate;
    int factor;
  } rows[] = {{8000, 4},  {44100, 4},  {48000, 4},  {48000.9, 4}, {88200, 2},
              {96000, 2}, {176400, 1}, {192000, 1}, {384000, 1}};
  for (const auto& row : rows) {
    TruePeakDetector d;
    InitTruePeak(d, row.rate);
    EXPECT_EQ(d.design.factor, row.factor) << row.rate;
  }
}

// Direct convolution of the zero-stuffed, L-scaled input with the whole
// 48-tap filter: the textbook form of the same interpolator.
std::vector<double> NaiveTruePeak(const std::vector<double>& x, const double* taps, int factor) {
  const double tapSum = [&] {
    double s = 0;
    for (int i = 0; i < 48; ++i) s += taps[i];
    return s;
  }();
  const std::size_t count = x.size() * static_cast<std::size_t>(factor);
  std::vector<double> up(count, 0.0);
  for (std::size_t n = 0; n < x.size(); ++n) up[n * static_cast<std::size_t>(factor)] = factor * x[n];
  std::vector<double> current(x.size());
  for (std::size_t n = 0; n < x.size(); ++n) {
    double peak = std::fabs(x[n]);
    for (int i = 0; i < factor; ++i) {
      const std::size_t k = n * static_cast<std::size_t>(factor) + static_cast<std::size_t>(i);
      double y = 0;
      for (std::size_t j = 0; j < 48 && j <= k; ++j) y += taps[j] * up[k - j];
      peak = std::max(peak, std::fabs(y));
    }
    current[n] = peak / tapSum;
  }
  return current;
}

TEST(TruePeakDetector, AgreesSampleBySampleWithDirectConvolution) {
  const std::vector<double> x = test::Noise(11, 1.0, 3000);
  const struct {
    double rate;
    const double* taps;
    int factor;
  } rows[] = {{48000, kTruePeakTapsA, 4}, {96000, kTruePeakTapsB, 2}};
  for (const auto& row : rows) {
    const std::vector<double> expected = NaiveTruePeak(x, row.taps, row.factor);
    TruePeakDetector d;
    InitTruePeak(d, row.rate);
    double hold = 0;
    for (std::size_t n = 0; n < x.size(); ++n) {
      ProcessTruePeak(d, x[n]);
      ASSERT_NEAR(d.current, expected[n], 1e-14 * expected[n]) << n;
      hold = std::max(hold, expected[n]);
    }
    EXPECT_DOUBLE_EQ(d.maxHold, hold);
  }
}

TEST(TruePeakDetector, WithoutOversamplingReportsSamplePeaks) {
  TruePeakDetector d;
  InitTruePeak(d, 192000);
  ProcessTruePeak(d, -0.5);
  EXPECT_EQ(d.current, 0.5);
  ProcessTruePeak(d, 0.25);
  EXPECT_EQ(d.current, 0.25);
  EXPECT_EQ(d.maxHold, 0.5);
}

TEST(TruePeakDetector, QuarterRateSineAt45DegreesRevealsItsTruePeak) {
  const std::vector<double> x = test::Sine(12000.0, 48000.0, 1.0, 4800, std::numbers::pi / 4);
  TruePeakDetector d;
  InitTruePeak(d, 48000);
  double samplePeak = 0;
  for (double v : x) {
    ProcessTruePeak(d, v);
    samplePeak = std::max(samplePeak, std::fabs(v));
  }
  const double sampleDb = 20 * std::log10(samplePeak);
  const double trueDb = 20 * std::log10(d.maxHold);
  EXPECT_NEAR(sampleDb, -3.01, 0.01);
  EXPECT_GE(trueDb - sampleDb, 2.9);
  EXPECT_NEAR(trueDb, 0.0, 0.3);
}

TEST(TruePeakDetector, ResetClearsHoldAndHistory) {
  TruePeakDetector d, fresh;
  InitTruePeak(d, 44100);
  InitTruePeak(fresh, 44100);
  for (double v : test::Noise(2, 1.0, 100)) ProcessTruePeak(d, v);
  ProcessTruePeak(d, std::numeric_limits<double>::quiet_NaN());
  ProcessTruePeak(d, std::numeric_limits<double>::infinity());
  ResetTruePeak(d);
  EXPECT_EQ(d.maxHold, 0.0);
  EXPECT_EQ(d.current, 0.0);
  for (double v : test::Noise(4, 1.0, 100)) {
    ProcessTruePeak(d, v);
    ProcessTruePeak(fresh, v);
    ASSERT_EQ(d.current, fresh.current);
  }
}

// libebur128's own interpolator differs in design; on programme-like signals
// both must find the same true peak within 0.2 dB.
TEST(TruePeakDetector, AgreesWithLibebur128) {
  struct Case {
    const char* name;
    double rate;
    std::vector<double> x;
  };
  std::vector<Case> cases;
  for (double rate : {44100.0, 48000.0}) {
    cases.push_back({"sine 997", rate, test::Sine(997, rate, 0.9, 48000, 0.3)});
    cases.push_back({"sine fs/4 45deg", rate, test::Sine(rate / 4, rate, 0.5, 48000, std::numbers::pi / 4)});
    cases.push_back({"sine 15k", rate, test::Sine(15000, rate, 0.7, 48000, 1.0)});
    // Programme material has little energy near Nyquist, where the two
    // interpolators' pass bands differ: smooth the noise with [1 2 1]/4.
    std::vector<double> noise = test::Noise(9, 0.6, 48000);
    for (std::size_t n = noise.size() - 1; n >= 2; --n)
      noise[n] = 0.25 * noise[n] + 0.5 * noise[n - 1] + 0.25 * noise[n - 2];
    cases.push_back({"smoothed noise", rate, noise});
    std::vector<double> chord = test::Sine(220, rate, 0.3, 48000);
    const std::vector<double> fifth = test::Sine(330, rate, 0.3, 48000, 0.5);
    const std::vector<double> hf = test::Sine(9000, rate, 0.2, 48000, 0.1);
    for (std::size_t n = 0; n < chord.size(); ++n) chord[n] += fifth[n] + hf[n];
    cases.push_back({"chord", rate, chord});
  }
  for (const Case& c : cases) {
    TruePeakDetector d;
    InitTruePeak(d, c.rate);
    for (double v : c.x) ProcessTruePeak(d, v);
    test::EbuR128Oracle oracle(1, static_cast<unsigned long>(c.rate), EBUR128_MODE_TRUE_PEAK);
    oracle.Add(c.x);
    EXPECT_NEAR(20 * std::log10(d.maxHold), oracle.TruePeakDb(0), 0.2) << c.name << " at " << c.rate;
  }
}

}  // namespace
}  // namespace kalvo5
