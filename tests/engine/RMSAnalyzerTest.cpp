#include "engine/RMSAnalyzer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <numbers>
#include <vector>

#include "engine/LevelScale.h"
#include "support/Signals.h"

namespace kalvo5 {
namespace {

constexpr double kRate = 48000.0;
using Frame = std::array<double, kAnalyzerChannels>;

std::unique_ptr<RMSAnalyzer> MakeAnalyzer(RMSMeterMode mode = RMSMeterMode::Sum) {
  auto a = std::make_unique<RMSAnalyzer>();
  EXPECT_TRUE(InitRMS(*a, 10.0, 10000.0, kRate, 10000.0));
  SetRMSMeterMode(*a, mode);
  return a;
}

// Drives the analyzer as the block driver does while measuring, with the
// weighting already applied (w = x unless given).
struct Driver {
  RMSAnalyzer& a;
  RMSChannelConfig config = RMSChannelConfig::Left;
  RMSWeightingKind kind = RMSWeightingKind::Other;
  bool leqM = false;
  bool truePeak = true;

  void Frame(const double (&x)[6], const double (&w)[6]) {
    ClipRMS(a, config, x);
    PeakRMS(a, config, x, truePeak);
    MeasureRMS(a, config, kind, leqM, w);
  }
  void Frame(const double (&x)[6]) { Frame(x, x); }
  // Channels listed in `on` carry the signal; the others 0.
  void Run(const std::vector<double>& signal, std::initializer_list<int> on) {
    for (double v : signal) {
      double x[6] = {};
      for (int c : on) x[c] = v;
      Frame(x);
    }
  }
};

std::vector<double> FullScaleSine(double seconds) {
  return test::Sine(1000.0, kRate, 1.0, static_cast<std::size_t>(seconds * kRate));
}

TEST(RMSAnalyzer, FullScaleSineReadsPerMeterMode) {
  struct Case {
    RMSMeterMode mode;
    RMSChannelConfig config;
    std::initializer_list<int> on;
    double level;  // momentary, its maximum and integrated
    double crest;
  };
  const Case cases[] = {
      {RMSMeterMode::Sum, RMSChannelConfig::Left, {0}, -3.0, 3.0},
      {RMSMeterMode::Average, RMSChannelConfig::Left, {0}, -3.0, 3.0},
      {RMSMeterMode::AES17, RMSChannelConfig::Left, {0}, -3.0 + 3.0103, 0.0},
      {RMSMeterMode::Sum, RMSChannelConfig::Stereo, {0, 1}, 0.0, 0.0},
      {RMSMeterMode::Average, RMSChannelConfig::Stereo, {0, 1}, -3.0, 3.0},
      {RMSMeterMode::Sum, RMSChannelConfig::Right, {1}, -3.0, 3.0},
      {RMSMeterMode::Sum, RMSChannelConfig::SixChannels, {0, 1, 2, 3, 4, 5}, 4.8, -4.8},
  };
  for (const Case& c : cases) {
    auto a = MakeAnalyzer(c.mode);
    Driver{*a, c.config}.Run(FullScaleSine(2.0), c.on);
    const int mode = static_cast<int>(c.mode);
    EXPECT_DOUBLE_EQ(RMSMomentary(*a), c.level) << mode;
    EXPECT_DOUBLE_EQ(RMSMomentaryMax(*a), c.level) << mode;
    EXPECT_DOUBLE_EQ(RMSIntegrated(*a, true), c.level) << mode;
    EXPECT_NEAR(RMSIntegrated(*a, false), c.level, 0.05) << mode;
    EXPECT_EQ(RMSPeakMax(*a, true), 0.0) << mode;
    EXPECT_EQ(RMSCrest(*a), c.crest) << mode;
  }
}

// An unmeasured channel takes no part, whatever it carries.
TEST(RMSAnalyzer, OnlyTheConfiguredChannelsCount) {
  auto a = MakeAnalyzer();
  Driver d{*a, RMSChannelConfig::Right};
  for (double v : FullScaleSine(1.0)) {
    const double x[6] = {2.0, v, 2.0, 2.0, 2.0, 2.0};
    d.Frame(x);
  }
  EXPECT_EQ(RMSMomentary(*a), -3.0);
  EXPECT_EQ(RMSPeakMax(*a, true), 0.0);
  EXPECT_EQ(a->meters[0].light, 0.0);
  EXPECT_EQ(a->meters[0].maxHold, 0.0);
  EXPECT_EQ(a->meters[1].maxHold, 1.0);
}

// No level yet reads -144 in every mode (the AES17 and Leq(M) offsets move
// measured levels only) and the crest 0.
TEST(RMSAnalyzer, AfterResetEveryLevelReadsSilence) {
  for (RMSMeterMode mode : {RMSMeterMode::Sum, RMSMeterMode::AES17, RMSMeterMode::Average}) {
    for (bool leqM : {false, true}) {
      auto a = MakeAnalyzer(mode);
      Driver d{*a};
      d.leqM = leqM;
      d.Run(FullScaleSine(1.0), {0});
      ResetRMS(*a);
      for (double level : {RMSMomentary(*a), RMSMomentaryMax(*a), RMSIntegrated(*a, true),
                           RMSIntegrated(*a, false), RMSPeakMax(*a, true), RMSTruePeakMax(*a)})
        EXPECT_EQ(level, kSilenceDb) << static_cast<int>(mode) << leqM;
      EXPECT_EQ(RMSCrest(*a), 0.0);
      // Digital silence measures as silence too.
      d.Run(std::vector<double>(kRate, 0.0), {0});
      EXPECT_EQ(RMSIntegrated(*a, true), kSilenceDb);
      EXPECT_EQ(RMSMomentary(*a), kSilenceDb);
      EXPECT_EQ(RMSCrest(*a), 0.0);
    }
  }
}

// During the first window length the momentary level rises as the window
// fills from zeros; afterwards it moves every trunc(N/4) + 1 samples.
TEST(RMSAnalyzer, MomentaryFillsThenMovesInHops) {
  auto a = MakeAnalyzer();  // 600 ms: N = 28800
  Driver d{*a};
  const std::vector<double> sine = FullScaleSine(0.3);  // half the window
  d.Run(sine, {0});
  EXPECT_EQ(RMSMomentary(*a), -6.0);
  d.Run(sine, {0});
  EXPECT_EQ(RMSMomentary(*a), -3.0);

  std::vector<std::size_t> changes;
  double previous = a->blockMean;
  const std::vector<double> noise = test::Noise(4, 1.0, 40000);
  for (std::size_t n = 0; n < noise.size(); ++n) {
    const double x[6] = {noise[n]};
    d.Frame(x);
    if (a->blockMean != previous) changes.push_back(n);
    previous = a->blockMean;
  }
  ASSERT_GE(changes.size(), 3u);
  for (std::size_t i = 1; i < changes.size(); ++i) EXPECT_EQ(changes[i] - changes[i - 1], 7201u);
}

TEST(RMSAnalyzer, WindowChangesApplyOnlyWhenValidAndNew) {
  auto a = MakeAnalyzer();
  // The Leq(M) long window is as long as the RMS window from the start.
  EXPECT_EQ(a->window.length, 28800);
  EXPECT_EQ(a->longWindow.values.length, 28800);
  Driver d{*a};
  d.Run(FullScaleSine(0.1), {0});
  for (double ms : {600.0, 9.9, 10000.5, std::numeric_limits<double>::quiet_NaN()}) {
    SetRMSWindow(*a, ms);
    EXPECT_EQ(a->windowMs, 600.0);
    EXPECT_EQ(RMSPeakMax(*a, true), 0.0) << ms;  // not reset
  }
  SetRMSWindow(*a, 300.0);
  EXPECT_EQ(a->window.length, 14400);
  EXPECT_EQ(a->longWindow.values.length, 14400);
  EXPECT_EQ(RMSPeakMax(*a, true), kSilenceDb);  // reset

  // "AES17" measures over 600 ms whatever the window setting.
  d.Run(FullScaleSine(0.1), {0});
  SetRMSMeterMode(*a, RMSMeterMode::AES17);
  EXPECT_EQ(a->window.length, 28800);
  EXPECT_EQ(a->longWindow.values.length, 28800);
  EXPECT_EQ(RMSPeakMax(*a, true), kSilenceDb);
  d.Run(FullScaleSine(0.1), {0});
  SetRMSMeterMode(*a, RMSMeterMode::AES17);  // nothing changes
  EXPECT_EQ(RMSPeakMax(*a, true), 0.0);
  SetRMSMeterMode(*a, RMSMeterMode::Sum);
  EXPECT_EQ(a->dbOffset, 0.0);
  EXPECT_EQ(RMSPeakMax(*a, true), kSilenceDb);
}

// A constant weighted signal of 1 on one channel shows the channel's weight
// as 10 log10(g); "AVG" divides by the number of measured channels, weight 0
// included.
TEST(RMSAnalyzer, ChannelWeightsFollowTheWeighting) {
  struct Case {
    RMSChannelConfig config;
    RMSWeightingKind kind;
    RMSMeterMode mode;
    int channel;
    double level;
  };
  const Case cases[] = {
      {RMSChannelConfig::SixChannels, RMSWeightingKind::BS1770, RMSMeterMode::Sum, 3, kSilenceDb},
      {RMSChannelConfig::SixChannels, RMSWeightingKind::BS1770, RMSMeterMode::Sum, 4, 1.5},
      {RMSChannelConfig::SixChannels, RMSWeightingKind::BS1770, RMSMeterMode::Average, 0, -7.8},
      {RMSChannelConfig::FourChannels, RMSWeightingKind::BS1770, RMSMeterMode::Sum, 3, 0.0},
      {RMSChannelConfig::FourChannels, RMSWeightingKind::LeqM, RMSMeterMode::Sum, 3, -3.0},
      {RMSChannelConfig::SixChannels, RMSWeightingKind::LeqM, RMSMeterMode::Sum, 4, -3.0},
      {RMSChannelConfig::SixChannels, RMSWeightingKind::LeqM, RMSMeterMode::Sum, 5, 0.0},
      {RMSChannelConfig::SixChannels, RMSWeightingKind::Other, RMSMeterMode::Average, 5, -7.8},
  };
  for (const Case& c : cases) {
    auto a = MakeAnalyzer(c.mode);
    Driver d{*a, c.config, c.kind};
    d.Run(std::vector<double>(30000, 1.0), {c.channel});
    EXPECT_EQ(RMSMomentary(*a), c.level) << static_cast<int>(c.kind) << " channel " << c.channel;
  }
}

// A 32-bit count would wrap after about 12 hours at 48 kHz and wreck the
// integrated level; the count is 64-bit.
TEST(RMSAnalyzer, IntegratedLevelSurvivesMoreThanTwoBillionSamples) {
  auto a = MakeAnalyzer();
  a->totalCount = (std::int64_t{1} << 31) - 5;
  a->totalSum = 0.5 * static_cast<double>(a->totalCount);
  Driver{*a}.Run(FullScaleSine(0.01), {0});
  EXPECT_GT(a->totalCount, std::int64_t{1} << 31);
  EXPECT_EQ(RMSIntegrated(*a, true), -3.0);
}

TEST(RMSAnalyzer, TruePeakAndSamplePeakMaxima) {
  const std::vector<double> quarter = test::Sine(kRate / 4, kRate, 1.0, 48000, std::numbers::pi / 4);
  auto a = MakeAnalyzer();
  Driver{*a}.Run(quarter, {0});
  EXPECT_EQ(RMSPeakMax(*a, true), -3.0);
  EXPECT_NEAR(RMSTruePeakMax(*a), 0.0, 0.3);
  EXPECT_NEAR(RMSPeakMax(*a, false), 20 * std::log10(std::sqrt(0.5)), 1e-9);

  auto off = MakeAnalyzer();
  Driver d{*off};
  d.truePeak = false;
  d.Run(quarter, {0});
  EXPECT_EQ(RMSTruePeakMax(*off), kSilenceDb);
}

// Leq(M): momentary from the long window, integrated from the 100 ms
// envelope, both shown as rounded loudness + 0.691.
TEST(RMSAnalyzer, LeqMReadsTheLoudnessScaleWithItsOffsetUndone) {
  auto a = MakeAnalyzer();
  Driver d{*a};
  d.leqM = true;
  d.kind = RMSWeightingKind::LeqM;
  d.Run(std::vector<double>(static_cast<std::size_t>(20 * kRate), 0.1), {0});  // mean square 0.01
  const double expected = RoundToTenth(-20.0 - 0.691) + 0.691;
  EXPECT_DOUBLE_EQ(RMSMomentary(*a), expected);
  EXPECT_DOUBLE_EQ(RMSMomentaryMax(*a), expected);
  EXPECT_DOUBLE_EQ(RMSIntegrated(*a, true), expected);
  EXPECT_DOUBLE_EQ(RMSIntegrated(*a, false), expected);
  EXPECT_EQ(RMSCrest(*a), 0.0);  // peak -20, level -20.009
  // The envelope rises at once and falls with its release after the signal.
  EXPECT_NEAR(a->envelope, 0.01, 1e-14);
  d.Run(std::vector<double>(static_cast<std::size_t>(0.5 * kRate), 0.0), {0});
  EXPECT_LT(a->envelope, 0.01 * a->envelopeRelease);
}

TEST(RMSAnalyzer, RatesThatAreNotFiniteAndPositiveChangeNothing) {
  auto a = MakeAnalyzer();
  Driver{*a}.Run(FullScaleSine(1.0), {0});
  for (double rate : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN(), HUGE_VAL})
    EXPECT_FALSE(InitRMS(*a, 10.0, 10000.0, rate, 10000.0));
  EXPECT_EQ(a->window.length, 28800);
  EXPECT_EQ(RMSMomentary(*a), -3.0);
}

TEST(RMSAnalyzer, NonFiniteSamplesAreMeasuredAsSilence) {
  auto a = MakeAnalyzer();
  Driver d{*a};
  d.Run(FullScaleSine(1.0), {0});
  for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    const double x[6] = {bad, bad, bad, bad, bad, bad};
    d.Frame(x);
  }
  d.Run(FullScaleSine(1.0), {0});
  EXPECT_EQ(RMSPeakMax(*a, true), 0.0);
  EXPECT_EQ(RMSIntegrated(*a, true), -3.0);
  EXPECT_EQ(RMSMomentary(*a), -3.0);
  EXPECT_TRUE(std::isfinite(RMSTruePeakMax(*a)));
  EXPECT_EQ(a->meters[0].maxHold, 1.0);
}

}  // namespace
}  // namespace kalvo5
