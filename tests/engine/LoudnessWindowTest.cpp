#include "engine/LoudnessWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/MeanSquareWindow.h"
#include "support/Signals.h"

namespace kalvo5 {
namespace {

// Squares of noise: the kind of input the windows get.
std::vector<double> Squares(unsigned seed, double amplitude, std::size_t count) {
  std::vector<double> z = test::Noise(seed, amplitude, count);
  for (double& v : z) v *= v;
  return z;
}

// The window's definition computed directly: at sample k (1-based) the sum of
// the last min(k, N) inputs, divided by N.
double DirectMean(const std::vector<double>& z, std::size_t k, int length) {
  double sum = 0.0;
  for (std::size_t i = k > static_cast<std::size_t>(length) ? k - static_cast<std::size_t>(length) : 0; i < k;
       ++i)
    sum += z[i];
  return sum / length;
}

TEST(LoudnessWindow, LengthsAndHopsComeFromTheRateAsDefined) {
  LoudnessWindow momentary, shortTerm;
  ASSERT_TRUE(InitLoudnessWindow(momentary, 48000.0, 400.0, 0.75));
  ASSERT_TRUE(InitLoudnessWindow(shortTerm, 48000.0, 3000.0, 0.9666666666666667));
  EXPECT_EQ(momentary.values.length, 19200);
  EXPECT_EQ(momentary.hop, 4800);
  EXPECT_EQ(shortTerm.values.length, 144000);
  EXPECT_EQ(shortTerm.hop, 4799);  // the floating-point product falls just short of 4800
  // A 10 ms window with a 100 ms hop (overlap 1 - 100/10) still ends blocks
  // every 100 ms.
  LoudnessWindow tiny;
  ASSERT_TRUE(InitLoudnessWindow(tiny, 48000.0, 10.0, 1.0 - 100.0 / 10.0));
  EXPECT_EQ(tiny.values.length, 480);
  EXPECT_EQ(tiny.hop, 4800);
}

// The per-sample form against the direct definition: the mean every sample,
// the extremes following the mean while the ring fills and afterwards
// sampling the previous sample's mean at block times.
TEST(LoudnessWindow, PerSampleFormFollowsItsDefinition) {
  const std::vector<double> z = Squares(3, 0.5, 2600);
  LoudnessWindow w;
  ASSERT_TRUE(InitLoudnessWindow(w, 1000.0, 400.0, 0.75));  // N 400, hop 100
  double blockMax = 0.0, blockMin = 0.0, previous = 0.0;
  for (std::size_t k = 1; k <= z.size(); ++k) {
    StepLoudnessWindow(w, z[k - 1]);
    const double mean = DirectMean(z, k, 400);
    const bool block = k % 100 == 0;
    if (k < 400) {
      blockMax = blockMin = mean;
    } else if (block) {
      blockMax = std::max(blockMax, previous);
      blockMin = std::min(blockMin, previous);
    }
    ASSERT_EQ(w.newBlock, block) << k;
    ASSERT_NEAR(w.mean, mean, 1e-13) << k;
    ASSERT_NEAR(w.blockMax, blockMax, 1e-13) << k;
    ASSERT_NEAR(w.blockMin, blockMin, 1e-13) << k;
    previous = mean;
  }
}

// The block-updated form changes its value and extremes only at block
// times; until the ring has wrapped the extremes are set, not compared.
TEST(LoudnessWindow, BlockUpdatedFormChangesOnlyAtBlockTimes) {
  std::vector<double> z = Squares(5, 0.5, 1500);
  for (std::size_t i = 0; i < 200; ++i) z[i] *= 16.0;  // a loud start the extremes forget while filling
  LoudnessWindow w;
  ASSERT_TRUE(InitLoudnessWindow(w, 1000.0, 700.0, 1.0 - 100.0 / 700.0));  // N 700, hop about 100
  const auto hop = static_cast<std::size_t>(w.hop);
  ASSERT_NEAR(w.hop, 100, 1);
  double value = 0.0, blockMax = 0.0, blockMin = std::pow(10.0, 7.2);
  for (std::size_t k = 1; k <= z.size(); ++k) {
    StepLoudnessWindowBlocks(w, z[k - 1]);
    if (k % hop == 0) {
      value = DirectMean(z, k, 700);
      if (k < 700) {
        blockMax = blockMin = value;
      } else {
        blockMax = std::max(blockMax, value);
        blockMin = std::min(blockMin, value);
      }
    }
    ASSERT_NEAR(w.blockValue, value, 1e-13) << k;
    ASSERT_NEAR(w.blockMax, blockMax, 1e-13) << k;
    ASSERT_NEAR(w.blockMin, blockMin, 1e-13) << k;
  }
}

TEST(LoudnessWindow, ResetAndResizeStartAfresh) {
  LoudnessWindow w;
  ASSERT_TRUE(InitLoudnessWindow(w, 1000.0, 400.0, 0.75, 1000.0));
  for (double v : Squares(7, 1.0, 900)) StepLoudnessWindow(w, v);
  ResetLoudnessWindow(w);
  EXPECT_EQ(w.mean, 0.0);
  EXPECT_EQ(w.blockMax, 0.0);
  EXPECT_EQ(w.blockMin, std::pow(10.0, 7.2));
  // After a reset the stale ring content never re-enters the sum.
  for (int i = 0; i < 400; ++i) StepLoudnessWindow(w, 0.25);
  EXPECT_NEAR(w.mean, 0.25, 1e-15);

  EXPECT_TRUE(ResizeLoudnessWindow(w, 1000.0, 1000.0, 0.9));
  EXPECT_EQ(w.values.length, 1000);
  EXPECT_EQ(w.hop, 99);
  EXPECT_EQ(w.mean, 0.0);
  EXPECT_FALSE(ResizeLoudnessWindow(w, 1000.0, 1001.0, 0.9));  // beyond the ring obtained at init
  EXPECT_EQ(w.values.length, 1000);
}

// Hours of loud programme, then silence: the running sum is re-anchored to
// the stored values at every wrap, so the mean returns to exactly zero.
TEST(LoudnessWindow, SilenceAfterLoudProgrammeReadsExactlyZero) {
  for (unsigned seed = 1; seed <= 4; ++seed) {
    LoudnessWindow w;
    ASSERT_TRUE(InitLoudnessWindow(w, 1000.0, 400.0, 0.75));
    for (double v : Squares(seed, 30.0, 50000)) StepLoudnessWindow(w, v);
    for (int i = 0; i < 400; ++i) StepLoudnessWindow(w, 0.0);
    EXPECT_EQ(w.mean, 0.0) << seed;
  }
}

TEST(MeanSquareWindow, SlidingMeanWithMaximumAndBlocksEvery100Ms) {
  const std::vector<double> z = Squares(9, 0.7, 1200);
  MeanSquareWindow w;
  ASSERT_TRUE(InitMeanSquareWindow(w, 1000.0, 200.0, 10000.0));
  EXPECT_EQ(w.hop, 100);
  double meanMax = 0.0;
  for (std::size_t k = 1; k <= z.size(); ++k) {
    StepMeanSquareWindow(w, z[k - 1]);
    const double mean = DirectMean(z, k, 200);
    meanMax = std::max(meanMax, mean);
    ASSERT_NEAR(w.mean, mean, 1e-13) << k;
    ASSERT_NEAR(w.meanMax, meanMax, 1e-13) << k;
    ASSERT_EQ(w.newBlock, k % 100 == 0) << k;
  }
  EXPECT_TRUE(ResizeMeanSquareWindow(w, 1000.0, 10000.0));
  EXPECT_EQ(w.values.length, 10000);
  EXPECT_EQ(w.meanMax, 0.0);
}

}  // namespace
}  // namespace kalvo5
