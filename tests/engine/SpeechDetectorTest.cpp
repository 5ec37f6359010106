#include "engine/SpeechDetector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "SpeechMaterial.h"
#include "support/Signals.h"

namespace kalvo5 {
namespace {

constexpr int kRates[] = {32000, 44100, 48000};

int BlockOf(int rate) { return rate / 10; }

std::unique_ptr<SpeechDetector> MakeDetector(int rate) {
  auto d = std::make_unique<SpeechDetector>();
  EXPECT_TRUE(InitSpeechDetector(*d, rate, BlockOf(rate)));
  return d;
}

// Feeds x in 100 ms blocks; one result per block.
std::vector<int> DetectBlocks(SpeechDetector& d, const std::vector<float>& x, int rate) {
  const int block = BlockOf(rate);
  std::vector<int> decisions;
  for (std::size_t pos = 0; pos + static_cast<std::size_t>(block) <= x.size();
       pos += static_cast<std::size_t>(block))
    decisions.push_back(DetectSpeech(d, x.data() + pos, block));
  return decisions;
}

std::vector<float> ToFloat(const std::vector<double>& x) { return {x.begin(), x.end()}; }

void ExpectSameState(const SpeechDetector& a, const SpeechDetector& b) {
  for (int i = 0; i < kSpeechFeatureCount; ++i) EXPECT_EQ(a.features[i], b.features[i]) << "feature " << i;
  for (int i = 0; i < kSpeechScoreCount; ++i) EXPECT_EQ(a.scores[i], b.scores[i]) << "score " << i;
  EXPECT_EQ(a.frameCounter, b.frameCounter);
  EXPECT_EQ(a.decision, b.decision);
  EXPECT_EQ(a.ringCount, b.ringCount);
}

TEST(SpeechDetector, DigitalSilenceGivesItsFirstDecisionWithThe21stBlock) {
  for (int rate : kRates) {
    SCOPED_TRACE(rate);
    auto d = MakeDetector(rate);
    const std::vector<float> zeros(static_cast<std::size_t>(BlockOf(rate)), 0.0f);
    for (int block = 1; block <= 20; ++block)
      ASSERT_EQ(DetectSpeech(*d, zeros.data(), BlockOf(rate)), -1) << block;
    EXPECT_EQ(DetectSpeech(*d, zeros.data(), BlockOf(rate)), 0);
    for (float f : d->features) EXPECT_EQ(f, 0.0f);
    EXPECT_NEAR(d->scores[0], -0.8785, 5e-5);
    EXPECT_EQ(d->scores[1], 0.0f);
  }
}

// A feature exactly at a stump's threshold votes as if above it, and scores
// summing to exactly 0 mean speech.
TEST(SpeechDetector, TiesGoToSpeech) {
  float features[kSpeechFeatureCount] = {};
  const float silent = ScoreSpeechFeatures(features);
  features[kSpectralFlux] = kSpeechStumps[0].threshold;
  EXPECT_NEAR(ScoreSpeechFeatures(features) - silent, 2.0f * kSpeechStumps[0].weight, 1e-6);

  const float balanced[kSpeechScoreCount] = {0.5f, -0.25f, -0.25f, 0.0f};
  EXPECT_EQ(DecideSpeech(balanced), 1);
  const float below[kSpeechScoreCount] = {0.5f, -0.25f, -0.25f, -1e-7f};
  EXPECT_EQ(DecideSpeech(below), 0);
}

// Input that never reaches one 16-bit step is digital silence, and half
// frames below a mean magnitude of 10 steps give no slope and leave the
// spectral normaliser alone.
TEST(SpeechDetector, QuietInputIsTreatedAsSilence) {
  const int rate = 48000;
  auto silent = MakeDetector(rate);
  auto subStep = MakeDetector(rate);
  auto quiet = MakeDetector(rate);
  const std::vector<float> zeros(3 * 48000, 0.0f);
  const std::vector<float> below = ToFloat(test::Noise(1, 0.99 / 32768.0, zeros.size()));
  const std::vector<float> faint = ToFloat(test::Noise(2, 8.0 / 32768.0, zeros.size()));
  DetectBlocks(*silent, zeros, rate);
  DetectBlocks(*subStep, below, rate);
  DetectBlocks(*quiet, faint, rate);
  ExpectSameState(*subStep, *silent);

  // Uniform noise of +-8 steps: mean magnitude about 4 steps after
  // resampling, so no half-frame counts, though the signal is not silence.
  for (float s : quiet->analysis.slopes.values) EXPECT_EQ(s, 0.0f);
  for (float p : quiet->analysis.peaks.values) EXPECT_EQ(p, 32768.0f);
  float energy = 0.0f;
  for (float e : quiet->analysis.energies.values) energy += e;
  EXPECT_GT(energy, 0.0f);
}

TEST(SpeechDetector, TheNormaliserStaysAtFullScaleUntil16LoudHalfFrames) {
  auto d = MakeDetector(48000);
  const std::vector<float> x = ToFloat(test::Noise(3, 0.1, 7 * 3072));  // seven frames
  DetectSpeech(*d, x.data(), 4800);
  for (std::size_t pos = 4800; pos < x.size(); pos += 4800)
    DetectSpeech(*d, x.data() + pos, static_cast<int>(std::min<std::size_t>(4800, x.size() - pos)));
  int initial = 0;
  for (float p : d->analysis.peaks.values) initial += p == 32768.0f ? 1 : 0;
  EXPECT_EQ(initial, 16 - 14);
}

// The decisions cannot depend on how the caller cuts the audio: blocks of
// any length up to blockLength, and longer ones too.
TEST(SpeechDetector, ResultsDoNotDependOnHowSamplesAreSplit) {
  const int rate = 44100;
  std::vector<float> x = ToFloat(test::Noise(5, 0.3, 6 * 44100));
  // Syllable-like bursts, so the features move.
  for (std::size_t n = 0; n < x.size(); ++n)
    x[n] *= static_cast<float>(0.5 + 0.5 * std::sin(static_cast<double>(n) * 2e-4));

  auto whole = MakeDetector(rate);
  const std::vector<int> reference = DetectBlocks(*whole, x, rate);
  for (int pattern = 0; pattern < 3; ++pattern) {
    auto d = MakeDetector(rate);
    const int sizes[3][4] = {{1, 7, 331, 4410}, {4409, 2, 999, 1}, {20000, 3, 90000, 17}};
    std::size_t pos = 0;
    for (int i = 0; pos < x.size(); ++i) {
      const auto n = std::min<std::size_t>(static_cast<std::size_t>(sizes[pattern][i % 4]), x.size() - pos);
      DetectSpeech(*d, x.data() + pos, static_cast<int>(n));
      pos += n;
    }
    SCOPED_TRACE(pattern);
    ExpectSameState(*d, *whole);
  }
  EXPECT_EQ(reference.back(), whole->decision);
}

TEST(SpeechDetector, NonFiniteSamplesCountAsSilence) {
  const int rate = 32000;
  std::vector<float> x = ToFloat(test::Noise(6, 0.2, 3 * 32000));
  std::vector<float> y = x;
  for (std::size_t n = 1000; n < 1500; ++n) {
    x[n] = 0.0f;
    y[n] = n % 3 == 0 ? std::numeric_limits<float>::quiet_NaN()
                      : (n % 3 == 1 ? std::numeric_limits<float>::infinity()
                                    : -std::numeric_limits<float>::infinity());
  }
  auto a = MakeDetector(rate);
  auto b = MakeDetector(rate);
  DetectBlocks(*a, x, rate);
  DetectBlocks(*b, y, rate);
  ExpectSameState(*a, *b);
  for (float f : b->features) EXPECT_TRUE(std::isfinite(f));
}

TEST(SpeechDetector, ReinitialisingForTheSameRateReusesItsMemoryAndForgetsEverything) {
  const int rate = 48000;
  auto d = MakeDetector(rate);
  const std::vector<float> x = ToFloat(test::Noise(7, 0.3, 4 * 48000));
  DetectBlocks(*d, x, rate);
  const float* storage = d->storage.get();
  ASSERT_TRUE(InitSpeechDetector(*d, rate, BlockOf(rate)));
  EXPECT_EQ(d->storage.get(), storage);
  EXPECT_EQ(d->decision, -1);

  auto fresh = MakeDetector(rate);
  EXPECT_EQ(DetectBlocks(*d, x, rate), DetectBlocks(*fresh, x, rate));
  ExpectSameState(*d, *fresh);
}

// Every rate from 8 kHz up has a route to 16 kHz, unless its ratio to 16 kHz
// would need an absurdly large filter.
TEST(SpeechDetector, TakesEveryRateWithARouteAndRefusesTheRest) {
  for (double rate : {0.0, -48000.0, 7999.0, 44101.0, 96001.0, std::nan(""), HUGE_VAL}) {
    SpeechDetector d;
    EXPECT_FALSE(InitSpeechDetector(d, rate, 4800)) << rate;
    const std::vector<float> x(4800, 0.5f);
    EXPECT_EQ(DetectSpeech(d, x.data(), 4800), -1);
  }
  for (double rate : {8000.0, 11025.0, 16000.0, 22050.0, 47952.0, 88200.0, 96000.0, 176400.0, 192000.0}) {
    SpeechDetector d;
    EXPECT_TRUE(InitSpeechDetector(d, rate, static_cast<int>(rate / 10))) << rate;
  }
  // Rates are truncated.
  SpeechDetector truncated;
  EXPECT_TRUE(InitSpeechDetector(truncated, 44100.7, 4410));
  EXPECT_EQ(truncated.route.row.inputRate, 44100);
  // A detector that had a rate gives it up.
  auto d = MakeDetector(48000);
  EXPECT_FALSE(InitSpeechDetector(*d, 4000, 400));
  const std::vector<float> x(4800, 0.5f);
  EXPECT_EQ(DetectSpeech(*d, x.data(), 4800), -1);
}

// Shares of 100 ms blocks judged speech, printed to the test log.
TEST(SpeechDetector, RecognisesSpeechAndNotMusicOrNoise) {
  for (int rate : kRates) {
    SCOPED_TRACE(rate);
    const test::Material& synthesised = test::SynthesisedSpeech(rate);
    ASSERT_TRUE(synthesised.error.empty()) << synthesised.error;
    const test::Material& recorded = test::RecordedVoices(rate);
    ASSERT_TRUE(recorded.error.empty()) << recorded.error;

    const struct {
      const char* name;
      std::vector<float> samples;
      bool speech;
    } cases[] = {
        {"synthesised speech", synthesised.samples, true},
        {"recorded voices", recorded.samples, true},
        {"steady tones", test::SteadyTones(rate), false},
        {"rhythmic chords", test::RhythmicChords(rate), false},
        {"noise", test::BroadbandNoise(rate), false},
    };
    for (const auto& c : cases) {
      auto d = MakeDetector(rate);
      const double share = test::SpeechShare(DetectBlocks(*d, c.samples, rate));
      RecordProperty(std::string(c.name) + " at " + std::to_string(rate), std::to_string(share));
      std::printf("[ speech   ] %-18s at %5d Hz: %5.1f %% speech\n", c.name, rate, 100.0 * share);
      if (c.speech)
        EXPECT_GT(share, 0.6) << c.name;
      else
        EXPECT_LT(share, 0.15) << c.name;
    }
  }
}

}  // namespace
}  // namespace kalvo5
