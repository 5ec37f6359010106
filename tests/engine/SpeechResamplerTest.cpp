#include "engine/SpeechResampler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "support/Signals.h"

namespace kalvo5 {
namespace {

struct Bound {
  SpeechRate row;
  std::vector<float> h;
  std::vector<float> polyphase;
  std::vector<SpeechPhase> phases;
  std::vector<float> line;
  SpeechResampler resampler;
};

// Rates with filters of their own, and rates whose rows are derived: below,
// at and above 16 kHz, one (50 kHz) that no other row shares, and one
// (63750 Hz) whose phases hold the most taps the history has room for.
constexpr double kRates[] = {8000.0,  11025.0, 16000.0, 22050.0, 24000.0,
                             32000.0, 44100.0, 48000.0, 50000.0, 63750.0};

void Bind(Bound& b, double rate) {
  SpeechRoute route;
  ASSERT_TRUE(FindSpeechRoute(rate, route));
  ASSERT_EQ(route.halvings, 0);
  b.row = route.row;
  b.h.assign(static_cast<std::size_t>(b.row.filter.taps), 0.0f);
  DesignResamplingFilter(b.row.filter, b.h.data());
  b.polyphase.assign(static_cast<std::size_t>(SpeechPolyphaseSize(b.row)), 0.0f);
  b.phases.assign(static_cast<std::size_t>(SpeechPhaseTableSize(b.row)), SpeechPhase{});
  b.line.assign(static_cast<std::size_t>(SpeechLineSize(b.row.inputNeeded)), 0.0f);
  ConfigureSpeechResampler(b.resampler, b.row, b.h.data(), b.polyphase.data(), b.phases.data(),
                           b.line.data());
}

// Runs `passes` passes over x, each taking what the resampler asks for.
std::vector<float> RunPasses(SpeechResampler& r, const std::vector<float>& x, int passes,
                             std::vector<int>* taken = nullptr) {
  std::vector<float> out;
  std::size_t pos = 0;
  float frame[kSpeechPassOutputs];
  for (int p = 0; p < passes; ++p) {
    const int need = SpeechResamplerNeed(r);
    ResampleSpeechPass(r, x.data() + pos, need, frame);
    pos += static_cast<std::size_t>(need);
    if (taken) taken->push_back(need);
    out.insert(out.end(), frame, frame + kSpeechPassOutputs);
  }
  return out;
}

// The textbook form: zero-stuff by L, filter, keep every M-th sample,
// y[k] = sum over j of x[j] h[kM - jL], in double precision. One difference
// is by design: an output instant that falls exactly on an input sample
// (kM - jL = 0) is computed before that sample is taken in, so after the very
// first output the tap h[0] never meets a sample.
std::vector<double> NaiveResample(const std::vector<float>& x, const std::vector<float>& h, int L, int M,
                                  std::size_t outputs) {
  std::vector<double> y(outputs);
  const long taps = static_cast<long>(h.size());
  for (std::size_t k = 0; k < outputs; ++k) {
    const long t = static_cast<long>(k) * M;
    double acc = 0.0;
    for (long j = t / L; j >= 0 && t - j * L < taps; --j) {
      if (k > 0 && t - j * L == 0) continue;
      if (j < static_cast<long>(x.size()))
        acc += static_cast<double>(x[static_cast<std::size_t>(j)]) *
               static_cast<double>(h[static_cast<std::size_t>(t - j * L)]);
    }
    y[k] = acc;
  }
  return y;
}

TEST(SpeechResampler, AgreesWithZeroStuffingFilteringAndDecimatingAcrossPasses) {
  for (double rate : kRates) {
    SCOPED_TRACE(rate);
    Bound b;
    Bind(b, rate);
    const int passes = 6;
    // Enough input for every pass: up to 1024 M / L + 1 samples each.
    const std::vector<double> noise = test::Noise(7, 20000.0, 26000);
    const std::vector<float> x(noise.begin(), noise.end());
    std::vector<int> taken;
    const std::vector<float> y = RunPasses(b.resampler, x, passes, &taken);
    const std::vector<double> expected =
        NaiveResample(x, b.h, b.resampler.interpolation, b.resampler.decimation, y.size());
    for (std::size_t k = 0; k < y.size(); ++k) ASSERT_NEAR(y[k], expected[k], 0.05) << k;

    // Where L divides 1024 M passes take exactly inputNeeded; otherwise
    // inputNeeded or one less (44.1 kHz: 2822 or 2823), averaging 1024 M / L.
    long total = 0;
    for (int t : taken) {
      total += t;
      EXPECT_GE(t, b.resampler.inputNeeded - 1);
      EXPECT_LE(t, b.resampler.inputNeeded);
    }
    const double perPass = 1024.0 * b.resampler.decimation / b.resampler.interpolation;
    EXPECT_NEAR(static_cast<double>(total), passes * perPass, 1.0);
  }
}

// The pass band keeps the level (the filters' gain is 0.99) and everything
// above 8.3 kHz, folded into the 16 kHz band by decimation, stays 87 dB down.
// Below 16 kHz the band ends earlier, short of half the input rate.
TEST(SpeechResampler, KeepsTonesInTheBandAndRejectsThoseThatWouldAlias) {
  for (double rate : kRates) {
    SCOPED_TRACE(rate);
    const auto count = static_cast<std::size_t>(rate * 0.6);
    const double amplitude = 10000.0;
    for (double tone : {1000.0, 3000.0, 5900.0, 9000.0, 12500.0}) {
      const double bandEdge = std::min(6000.0, rate / 2 - 1000.0);
      if (tone >= rate / 2 || (tone >= bandEdge && tone < 8300.0)) continue;
      Bound b;
      Bind(b, rate);
      const std::vector<double> s = test::Sine(tone, rate, amplitude, count);
      const std::vector<float> out = RunPasses(b.resampler, {s.begin(), s.end()}, 8);
      // Skip the filter's start-up.
      const std::vector<double> settled(out.begin() + 1024, out.end());
      const double rms = std::sqrt(std::pow(10.0, test::MeanSquareDb(settled.data(), settled.size()) / 10.0));
      const double gainDb = 20.0 * std::log10(rms * std::sqrt(2.0) / amplitude);
      if (tone < bandEdge) {
        EXPECT_NEAR(gainDb, 20.0 * std::log10(0.99), 0.002) << tone;
        const double fitted = test::FittedAmplitude(settled, tone, kSpeechOutputRate);
        EXPECT_NEAR(fitted / amplitude, 0.99, 2e-4) << tone;
      } else {
        EXPECT_LT(gainDb, -87.0) << tone;
      }
    }
  }
}

// Every path sums each output in the same order: the same bits at every rate.
TEST(SpeechResampler, PathsGiveTheSameBits) {
  if (!SimdPathSupported(SimdPath::Avx2Fma)) GTEST_SKIP() << "only the baseline path on this processor";
  std::vector<float> x;
  for (double v : test::Noise(9, 8000.0, 40000)) x.push_back(static_cast<float>(v));
  for (double rate : kRates) {
    Bound baseline, wide;
    Bind(baseline, rate);
    Bind(wide, rate);
    ASSERT_TRUE(SelectSpeechResamplerPath(baseline.resampler, SimdPath::Baseline));
    ASSERT_TRUE(SelectSpeechResamplerPath(wide.resampler, SimdPath::Avx2Fma));
    const int passes = static_cast<int>(x.size()) / baseline.row.inputNeeded;
    EXPECT_EQ(RunPasses(baseline.resampler, x, passes), RunPasses(wide.resampler, x, passes)) << rate;
  }
}

}  // namespace
}  // namespace kalvo5
