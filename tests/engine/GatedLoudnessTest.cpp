#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <vector>

#include "engine/GatedIntegrator.h"
#include "engine/LevelScale.h"
#include "engine/LoudnessRangeMeter.h"

namespace kalvo5 {
namespace {

// Mean squares whose loudness spreads over about -80 ... +5 LUFS.
std::vector<double> Blocks(unsigned seed, std::size_t count) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> level(-80.0, 5.0);
  std::vector<double> v(count);
  for (double& x : v) x = std::pow(10.0, (level(rng) + 0.691) / 10.0);
  return v;
}

// Gated mean loudness by the definition, over the values kept.
struct DirectGating {
  double ungated;
  double gated;
};

DirectGating Gate(const std::vector<double>& kept, double relativeGate) {
  double sum = 0.0;
  for (double v : kept) sum += v;
  const double ungated = MeanSquareToLoudness(sum / static_cast<double>(kept.size()));
  double gatedSum = 0.0;
  int count = 0;
  for (double v : kept) {
    if (MeanSquareToLoudness(v) >= ungated + relativeGate) {
      gatedSum += v;
      ++count;
    }
  }
  return {ungated, MeanSquareToLoudness(gatedSum / count)};
}

// A small exact store, so that most values go to the histogram only, as
// they do after an hour of 100 ms blocks: every value since the reset still
// counts. While the store holds them all the result is exact; later the bin
// at the threshold is split by interpolation (a value alone in its bin is
// still placed exactly).
TEST(GatedIntegrator, MatchesTheGatedMeanOfAllValuesThatPassTheAbsoluteGate) {
  constexpr int kCapacity = 50;
  GatedIntegrator g;
  ASSERT_TRUE(InitGatedIntegrator(g, kCapacity, -70.0, -10.0, -141.0));
  std::vector<double> kept;
  for (double v : Blocks(1, 400)) {
    UpdateGatedIntegrator(g, v);
    if (MeanSquareToLoudness(v) >= -70.0) kept.push_back(v);
    if (kept.empty()) {
      ASSERT_EQ(g.gated, -141.0);
      continue;
    }
    const DirectGating expected = Gate(kept, -10.0);
    ASSERT_NEAR(g.ungated, expected.ungated, 1e-9);
    ASSERT_NEAR(g.gated, expected.gated, kept.size() <= kCapacity ? 1e-9 : 0.01);
  }
}

// Programme-like block loudness: passages of 30 s to 10 min at a level
// between -40 and -14 LUFS, the blocks spread around it, with pauses
// (below the absolute gate) and steady tones among them.
std::vector<double> ProgrammeBlocks(unsigned seed, std::size_t count) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<std::size_t> length(300, 6000);
  std::uniform_real_distribution<double> level(-40.0, -14.0);
  std::uniform_real_distribution<double> kind(0.0, 1.0);
  std::normal_distribution<double> spread(0.0, 4.0);
  std::vector<double> v;
  v.reserve(count);
  while (v.size() < count) {
    const double k = kind(rng);
    const double centre = k < 0.1 ? -90.0 : level(rng);
    const double width = k < 0.2 ? 0.0 : 1.0;  // pauses and tones hold their level
    for (std::size_t n = length(rng); n > 0 && v.size() < count; --n)
      v.push_back(std::pow(10.0, (centre + width * spread(rng) + 0.691) / 10.0));
  }
  return v;
}

// A day of 100 ms blocks: the first hour and all later ones keep counting,
// within 0.01 LU of the computation over every value. With the loudness
// gates, and without any (as the Leq(M) integrated level uses it).
TEST(GatedIntegrator, ADayOfBlocksAgreesWithTheComputationOverAllOfThem) {
  constexpr std::size_t kHour = 36000;
  const std::vector<double> blocks = ProgrammeBlocks(7, 24 * kHour);
  for (const double gate : {-70.0, kSilenceDb}) {
    const double relativeGate = gate == kSilenceDb ? kSilenceDb : -10.0;
    GatedIntegrator g;
    ASSERT_TRUE(InitGatedIntegrator(g, static_cast<int>(kHour), gate, relativeGate, -141.0));
    std::vector<double> kept;
    double largestError = 0.0;
    for (std::size_t n = 0; n < blocks.size(); ++n) {
      UpdateGatedIntegrator(g, blocks[n]);
      if (MeanSquareToLoudness(blocks[n]) >= gate) kept.push_back(blocks[n]);
      if ((n + 1) % kHour != 0) continue;
      const DirectGating expected = Gate(kept, relativeGate);
      ASSERT_NEAR(g.ungated, expected.ungated, 1e-9) << n;
      ASSERT_NEAR(g.gated, expected.gated, n < kHour ? 1e-9 : 0.01) << n;
      largestError = std::max(largestError, std::fabs(g.gated - expected.gated));
    }
    std::printf("[ integr.  ] a day of blocks, gate %g: largest error %.2g LU\n", gate, largestError);
  }
}

// Values offered as early ones count until the first regular value, which
// replaces them even when it does not pass the gate itself.
TEST(GatedIntegrator, EarlyValuesStandInUntilTheFirstRegularOne) {
  const double at30 = std::pow(10.0, (-30.0 + 0.691) / 10.0);
  const double at20 = std::pow(10.0, (-20.0 + 0.691) / 10.0);
  GatedIntegrator g;
  ASSERT_TRUE(InitGatedIntegrator(g, 100, -70.0, -10.0, -141.0));
  for (int pass = 0; pass < 2; ++pass) {
    UpdateGatedIntegratorEarly(g, at30);
    UpdateGatedIntegratorEarly(g, at30);
    EXPECT_NEAR(g.gated, -30.0, 1e-9);
    UpdateGatedIntegrator(g, at20);
    UpdateGatedIntegrator(g, at20);
    EXPECT_NEAR(g.gated, -20.0, 1e-9);
    EXPECT_EQ(g.count, 2);
    ResetGatedIntegrator(g);
  }
  UpdateGatedIntegratorEarly(g, at30);
  UpdateGatedIntegrator(g, 0.0);
  EXPECT_FALSE(HasValue(g));
  EXPECT_EQ(g.gated, -141.0);
}

TEST(GatedIntegrator, StaysEmptyUntilAValueReachesTheAbsoluteGate) {
  GatedIntegrator g;
  ASSERT_TRUE(InitGatedIntegrator(g, 36000, -70.0, -10.0, -141.0));
  const double at71 = std::pow(10.0, (-71.0 + 0.691) / 10.0);
  const double at69 = std::pow(10.0, (-69.0 + 0.691) / 10.0);
  for (double v :
       {0.0, at71, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()})
    UpdateGatedIntegrator(g, v);
  EXPECT_FALSE(HasValue(g));
  EXPECT_EQ(g.gated, -141.0);
  UpdateGatedIntegrator(g, at69);
  EXPECT_TRUE(HasValue(g));
  EXPECT_NEAR(g.gated, -69.0, 1e-9);
  ResetGatedIntegrator(g);
  EXPECT_FALSE(HasValue(g));
  EXPECT_EQ(g.ungated, -141.0);
}

// With both gates at -144 every value counts, silence included.
TEST(GatedIntegrator, WithoutGatesAveragesEveryValue) {
  GatedIntegrator g;
  ASSERT_TRUE(InitGatedIntegrator(g, 100, kSilenceDb, kSilenceDb, kSilenceDb));
  EXPECT_EQ(g.gated, kSilenceDb);
  UpdateGatedIntegrator(g, 0.0);
  EXPECT_EQ(g.gated, kSilenceDb);
  UpdateGatedIntegrator(g, 2e-3);
  EXPECT_NEAR(g.gated, MeanSquareToLoudness(1e-3), 1e-12);
}

// The loudness range by its definition: bins of 0.1 LU from -70 to +30, the
// bins at or above (gated loudness + relative gate) listed in ascending
// order, the percentiles picked by rounded position.
double DirectRange(const std::vector<double>& levels, double relativeGate, double* gatedOut = nullptr) {
  std::vector<double> binned;
  double energy = 0.0;
  for (double b : levels) {
    const int k = static_cast<int>((std::clamp(b, -70.0, 30.0) + 70.0) * 10.0);
    binned.push_back(k / 10.0 - 70.0);
    energy += std::pow(10.0, (k / 10.0 - 70.0 + 0.691) / 10.0);
  }
  const double gated = MeanSquareToLoudness(energy / static_cast<double>(levels.size()));
  if (gatedOut != nullptr) *gatedOut = gated;
  std::vector<double> list;
  for (double m : binned)
    if (m >= gated + relativeGate) list.push_back(m);
  std::sort(list.begin(), list.end());
  const double a = static_cast<double>(list.size());
  const double low = list[static_cast<std::size_t>(std::floor((a - 1) * 10 / 100 + 0.5))];
  const double high = list[static_cast<std::size_t>(std::floor((a - 1) * 95 / 100 + 0.5))];
  return RoundToTenth(std::max(high - low, 0.0));
}

// Every value since the reset counts: the first hour still does after two.
TEST(LoudnessRangeMeter, MatchesThePercentileSpreadOfAllValues) {
  for (const double relativeGate : {-20.0, -144.0}) {
    LoudnessRangeMeter m;
    InitLoudnessRangeMeter(m, -70.0, relativeGate, 10.0, 95.0);
    std::vector<double> kept;
    for (double v : Blocks(relativeGate < -100 ? 2 : 3, 500)) {
      UpdateLoudnessRangeMeter(m, v);
      if (MeanSquareToLoudness(v) >= -70.0) kept.push_back(MeanSquareToLoudness(v));
      if (kept.empty()) {
        ASSERT_EQ(m.lra, kSilenceDb);
        continue;
      }
      double gated = 0.0;
      ASSERT_EQ(m.lra, DirectRange(kept, relativeGate, &gated)) << relativeGate;
      ASSERT_NEAR(m.gatedLoudness, gated, 1e-9);
    }
  }
  LoudnessRangeMeter m;
  InitLoudnessRangeMeter(m, -70.0, -20.0, 10.0, 95.0);
  std::vector<double> levels;
  std::vector<double> blocks = ProgrammeBlocks(9, 2 * 36000 + 600);
  for (std::size_t n = 0; n < 36000; ++n) blocks[n] *= 10.0;  // a first hour 10 LU louder
  for (double v : blocks) {
    UpdateLoudnessRangeMeter(m, v);
    if (MeanSquareToLoudness(v) >= -70.0) levels.push_back(MeanSquareToLoudness(v));
  }
  double gated = 0.0;
  EXPECT_EQ(m.lra, DirectRange(levels, -20.0, &gated));
  EXPECT_NEAR(m.gatedLoudness, gated, 1e-9);
}

TEST(LoudnessRangeMeter, ValuesBelowTheGateOrNotFiniteAreIgnored) {
  LoudnessRangeMeter m;
  InitLoudnessRangeMeter(m, -70.0, -20.0, 10.0, 95.0);
  for (double v : {0.0, 1e-9, std::numeric_limits<double>::quiet_NaN(),
                   std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()})
    UpdateLoudnessRangeMeter(m, v);
  EXPECT_FALSE(HasValue(m));
  EXPECT_EQ(m.lra, kSilenceDb);
  // Above +30 LUFS the top bin takes the value.
  UpdateLoudnessRangeMeter(m, 1e6);
  EXPECT_TRUE(HasValue(m));
  EXPECT_EQ(m.high, 30.0);
  EXPECT_EQ(m.lra, 0.0);
  ResetLoudnessRangeMeter(m);
  EXPECT_FALSE(HasValue(m));
  EXPECT_EQ(m.lra, kSilenceDb);
}

}  // namespace
}  // namespace kalvo5
