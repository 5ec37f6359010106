#include "engine/DIALAnalyzer.h"

#include <ebur128.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "SpeechMaterial.h"
#include "engine/LevelScale.h"
#include "support/EbuR128Oracle.h"
#include "support/Signals.h"

namespace kalvo5 {
namespace {

using Config = LoudnessChannelConfig;

std::unique_ptr<DIALAnalyzer> MakeDIAL(double rate, double windowMs = 3000.0) {
  auto a = std::make_unique<DIALAnalyzer>();
  EXPECT_TRUE(InitDIAL(*a, rate, windowMs));
  return a;
}

// Measures a mono signal placed, times gain, on the first `channels`
// channels of the layout.
void Measure(DIALAnalyzer& a, Config config, const std::vector<float>& mono, double gain, int channels) {
  double x[kAnalyzerChannels] = {};
  for (float v : mono) {
    for (int c = 0; c < channels; ++c) x[c] = gain * static_cast<double>(v);
    MeasureDIAL(a, config, true, x);
  }
}

// The same signal through libebur128: integrated and short-term loudness.
struct Reference {
  double integrated;
  double shortTerm;
};

Reference Oracle(const std::vector<float>& mono, double gain, int channels, int rate) {
  test::EbuR128Oracle oracle(static_cast<unsigned>(channels), static_cast<unsigned long>(rate),
                             EBUR128_MODE_I | EBUR128_MODE_S);
  std::vector<double> frames;
  frames.reserve(mono.size() * static_cast<std::size_t>(channels));
  for (float v : mono)
    for (int c = 0; c < channels; ++c) frames.push_back(gain * static_cast<double>(v));
  oracle.Add(frames);
  return {oracle.Integrated(), oracle.ShortTerm()};
}

// The gain that brings the signal to `target` LKFS (BS.1770 gated) on the
// given number of front channels.
double GainFor(const std::vector<float>& mono, int channels, int rate, double target) {
  return std::pow(10.0, (target - Oracle(mono, 1.0, channels, rate).integrated) / 20.0);
}

TEST(DIALAnalyzer, DialogueLoudnessOfSpeechAgreesWithItsGatedLoudness) {
  const struct {
    int rate;
    Config config;
    int channels;
    bool recorded;
    double target;
  } cases[] = {
      {48000, Config::Stereo, 2, false, -23.0},
      {44100, Config::Mono, 1, true, -31.0},
      {32000, Config::Stereo, 2, false, -16.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rate);
    const test::Material& speech =
        c.recorded ? test::RecordedVoices(c.rate) : test::SynthesisedSpeech(c.rate);
    ASSERT_TRUE(speech.error.empty()) << speech.error;
    const double gain = GainFor(speech.samples, c.channels, c.rate, c.target);
    auto a = MakeDIAL(c.rate);
    Measure(*a, c.config, speech.samples, gain, c.channels);

    ASSERT_TRUE(DIALIntegratedValid(*a));
    EXPECT_NEAR(DIALIntegrated(*a), c.target, 2.0);
    EXPECT_EQ(DIALIntegrated(*a), RoundToTenth(DIALIntegrated(*a)));
    // The first 42 blocks cannot count as speech: 21 while the delay lines
    // fill, 21 more while the detector starts up.
    EXPECT_GT(DIALSpeechRatio(*a), 0.6);
    std::printf("[ speech   ] DIAL %-9s at %5d Hz: %5.1f %% speech, %.1f LKFS (gated %.1f)\n",
                c.recorded ? "recorded" : "espeak-ng", c.rate, 100.0 * DIALSpeechRatio(*a),
                DIALIntegrated(*a), c.target);
    EXPECT_TRUE(DIALSpeechRangeValid(*a));
    EXPECT_GE(DIALSpeechRange(*a), 0.0);
    EXPECT_TRUE(DIALRangeValid(*a));
  }
}

TEST(DIALAnalyzer, MusicIsNotDialogueButIsStillMeasured) {
  const int rate = 48000;
  const std::vector<float> chords = test::RhythmicChords(rate);
  auto a = MakeDIAL(rate);
  Measure(*a, Config::Stereo, chords, 1.0, 2);
  EXPECT_LT(DIALSpeechRatio(*a), 0.15);
  EXPECT_GT(a->gate.totalBlocks, 100);
  EXPECT_TRUE(DIALRangeValid(*a));
  EXPECT_GT(DIALShortTerm(*a), -30.0);

  // A steady sound reads its loudness in the window.
  const std::vector<float> tones = test::SteadyTones(rate);
  auto steady = MakeDIAL(rate);
  Measure(*steady, Config::Stereo, tones, 1.0, 2);
  EXPECT_FALSE(DIALIntegratedValid(*steady));
  EXPECT_EQ(DIALIntegrated(*steady), kSilenceDb);
  EXPECT_EQ(DIALSpeechRatio(*steady), 0.0);
  EXPECT_FALSE(DIALSpeechRangeValid(*steady));
  EXPECT_NEAR(DIALShortTerm(*steady), Oracle(tones, 1.0, 2, rate).shortTerm, 0.05);
  EXPECT_NEAR(DIALRange(*steady), 0.0, 0.15);
  EXPECT_EQ(DIALShortTermMax(*steady), RoundToTenth(DIALShortTerm(*steady)));
}

// Blocks whose momentary loudness is below -70 LKFS count in the total but
// never reach the detector.
TEST(DIALAnalyzer, SpeechBelowTheGateIsNeverSpeech) {
  const int rate = 48000;
  const test::Material& speech = test::SynthesisedSpeech(rate);
  ASSERT_TRUE(speech.error.empty()) << speech.error;
  auto a = MakeDIAL(rate);
  Measure(*a, Config::Mono, speech.samples, GainFor(speech.samples, 1, rate, -80.0), 1);
  EXPECT_EQ(a->gate.totalBlocks, static_cast<std::int64_t>(speech.samples.size()) / 4800);
  EXPECT_EQ(a->gate.speechBlocks, 0);
  EXPECT_EQ(DIALSpeechRatio(*a), 0.0);
  EXPECT_FALSE(DIALIntegratedValid(*a));
  EXPECT_FALSE(DIALSpeechRangeValid(*a));
  EXPECT_EQ(a->gate.detector.frameCounter, kSpeechFirstFrameCounter);
  EXPECT_EQ(a->gate.detector.ringCount, 0);
}

// The same speech, converted to each rate a host may run at, is found to be
// speech as often as at 48 kHz: within 5 points of its share.
TEST(DIALAnalyzer, FindsDialogueAtEveryRate) {
  constexpr int kRates[] = {8000, 11025, 16000, 22050, 24000, 32000, 44100, 88200, 96000, 176400, 192000};
  for (bool recorded : {false, true}) {
    const auto share = [recorded](int rate) {
      const test::Material& speech = recorded ? test::RecordedVoices(rate) : test::SynthesisedSpeech(rate);
      EXPECT_TRUE(speech.error.empty()) << speech.error;
      auto a = MakeDIAL(rate);
      EXPECT_TRUE(a->gate.enabled);
      EXPECT_EQ(a->gate.startupBlocks, 21);
      Measure(*a, Config::Mono, speech.samples, 1.0, 1);
      std::printf("[ speech   ] DIAL %-9s at %6d Hz: %5.1f %% speech\n", recorded ? "recorded" : "espeak-ng",
                  rate, 100.0 * DIALSpeechRatio(*a));
      return DIALSpeechRatio(*a);
    };
    const double reference = share(48000);
    for (int rate : kRates)
      EXPECT_NEAR(share(rate), reference, 0.05) << rate << (recorded ? " recorded" : "");
  }
}

// A rate the detector cannot reach 16 kHz from still measures loudness, and
// reports no dialogue-gated values.
TEST(DIALAnalyzer, RatesWithoutARouteMeasureLoudnessWithoutDialogue) {
  const int rate = 44101;
  const test::Material& speech = test::SynthesisedSpeech(rate);
  ASSERT_TRUE(speech.error.empty()) << speech.error;
  auto a = MakeDIAL(rate);
  EXPECT_FALSE(a->gate.enabled);
  Measure(*a, Config::Mono, speech.samples, 1.0, 1);
  EXPECT_EQ(DIALIntegrated(*a), kSilenceDb);
  EXPECT_FALSE(DIALIntegratedValid(*a));
  EXPECT_EQ(DIALSpeechRatio(*a), 0.0);
  EXPECT_EQ(DIALSpeechRange(*a), kSilenceDb);
  EXPECT_FALSE(DIALSpeechRangeValid(*a));
  EXPECT_TRUE(DIALRangeValid(*a));
  EXPECT_GT(DIALShortTerm(*a), -40.0);
}

// The detector decides 21 blocks after it starts; the delay lines hold back
// the loudness values by as much.
TEST(DIALAnalyzer, GateMeasuresTheDetectorsStartupDelay) {
  for (int rate : {32000, 44100, 48000}) {
    auto a = MakeDIAL(rate);
    EXPECT_TRUE(a->gate.enabled) << rate;
    EXPECT_EQ(a->gate.startupBlocks, 21) << rate;
    EXPECT_EQ(a->gate.delayA.length, 21) << rate;
    EXPECT_EQ(a->gate.delayB.length, 21) << rate;
    EXPECT_EQ(a->gate.detector.decision, -1) << rate;
  }
}

TEST(DIALAnalyzer, WindowBlocksComeEvery100msWhateverItsLength) {
  const int rate = 48000;
  const std::vector<double> tone = test::Sine(997.0, rate, 0.1, 2 * 48000);
  const std::vector<float> x(tone.begin(), tone.end());
  // Once the window is full, every block goes to the range meter: from the
  // first block for 10 ms, from the fourth for 400 ms, none within 2 s for
  // longer windows.
  const struct {
    double ms;
    int hop;
    int rangeValues;
  } windows[] = {{10.0, 4800, 20}, {400.0, 4800, 17}, {3000.0, 4799, 0}, {10000.0, 4800, 0}};
  for (const auto& w : windows) {
    auto a = MakeDIAL(rate, w.ms);
    EXPECT_EQ(a->sWindow.hop, w.hop) << w.ms;
    Measure(*a, Config::Mono, x, 1.0, 1);
    EXPECT_EQ(a->windowRange.count, w.rangeValues) << w.ms;
    EXPECT_NEAR(DIALShortTerm(*a), -23.0 + (w.ms > 2000.0 ? 10.0 * std::log10(2000.0 / w.ms) : 0.0), 0.05)
        << w.ms;
  }
  // Changing the window keeps everything else.
  auto a = MakeDIAL(rate, 10000.0);
  Measure(*a, Config::Mono, x, 1.0, 1);
  const std::int64_t blocks = a->gate.totalBlocks;
  ASSERT_TRUE(SetDIALWindow(*a, 10.0));
  EXPECT_EQ(a->sWindow.hop, 4800);
  EXPECT_EQ(a->sWindow.values.length, 480);
  EXPECT_EQ(DIALShortTerm(*a), kSilenceDb);
  EXPECT_EQ(a->gate.totalBlocks, blocks);
  EXPECT_NEAR(MeanSquareToLoudness(a->momentary.blockValue), -23.0, 0.05);
  ASSERT_TRUE(SetDIALWindow(*a, 99999.0));
  EXPECT_EQ(a->sWindow.values.length, 4799952);
  EXPECT_FALSE(SetDIALWindow(*a, std::nan("")));
  EXPECT_EQ(a->sWindow.values.length, 4799952);
}

// The downmix takes the mean of the layout's channels: the same voice on
// both stereo channels gives the detector exactly what mono does, and reads
// 3 LU louder.
TEST(DIALAnalyzer, StereoAndMonoGiveTheDetectorTheSameDownmix) {
  const int rate = 44100;
  const test::Material& speech = test::RecordedVoices(rate);
  ASSERT_TRUE(speech.error.empty()) << speech.error;
  auto mono = MakeDIAL(rate);
  auto stereo = MakeDIAL(rate);
  Measure(*mono, Config::Mono, speech.samples, 0.5, 1);
  Measure(*stereo, Config::Stereo, speech.samples, 0.5, 2);
  EXPECT_EQ(mono->gate.speechBlocks, stereo->gate.speechBlocks);
  EXPECT_GT(mono->gate.speechBlocks, 0);
  EXPECT_NEAR(DIALIntegrated(*stereo) - DIALIntegrated(*mono), 3.0, 0.11);
}

// The LFE takes part in the downmix but not in the loudness.
TEST(DIALAnalyzer, LayoutsWeighTheLoudnessAndAverageTheDownmix) {
  const int rate = 48000;
  const std::vector<double> tone = test::Sine(997.0, rate, 0.1, 48000);
  auto a = MakeDIAL(rate);
  double x[kAnalyzerChannels] = {};
  for (double v : tone) {
    x[3] = v;  // the LFE of "5.1"
    MeasureDIAL(*a, Config::FivePointOne, true, x);
  }
  EXPECT_EQ(DIALShortTerm(*a), kSilenceDb);
  EXPECT_GT(a->gate.totalBlocks, 0);

  // "4.1": L R Ls Rs LFE, the downmix their mean; the surrounds count 1.41.
  auto b = MakeDIAL(rate);
  for (double v : tone) {
    const double frame[kAnalyzerChannels] = {0.0, 0.0, v, 0.0, 5.0 * v, 9.0};
    MeasureDIAL(*b, Config::QuadLfe, true, frame);
  }
  for (std::size_t n = 0; n < 4800; ++n)
    ASSERT_EQ(b->block[n], static_cast<float>((tone[48000 - 4800 + n] + 5.0 * tone[48000 - 4800 + n]) / 5.0))
        << n;
  EXPECT_NEAR(MeanSquareToLoudness(b->momentary.blockValue), -23.0 + 10.0 * std::log10(1.41), 0.05);
}

// Reset returns to the state of a fresh analyzer; samples that are not
// finite are measured as silence and the meters ignore channels outside the
// layout.
TEST(DIALAnalyzer, ResetForgetsEverythingAndBadSamplesCountAsSilence) {
  const int rate = 32000;
  const test::Material& speech = test::SynthesisedSpeech(rate);
  ASSERT_TRUE(speech.error.empty()) << speech.error;
  std::vector<float> clean(speech.samples.begin(), speech.samples.begin() + 8 * rate);

  auto fresh = MakeDIAL(rate);
  Measure(*fresh, Config::Stereo, clean, 1.0, 2);

  auto a = MakeDIAL(rate);
  std::vector<float> noisy = test::BroadbandNoise(rate);
  Measure(*a, Config::Stereo, noisy, 1.0, 2);
  ResetDIAL(*a);
  EXPECT_EQ(DIALShortTerm(*a), kSilenceDb);
  EXPECT_EQ(DIALRange(*a), kSilenceDb);
  EXPECT_EQ(a->gate.totalBlocks, 0);
  Measure(*a, Config::Stereo, clean, 1.0, 2);
  EXPECT_EQ(a->gate.speechBlocks, fresh->gate.speechBlocks);
  EXPECT_EQ(a->gate.totalBlocks, fresh->gate.totalBlocks);
  EXPECT_EQ(DIALIntegrated(*a), DIALIntegrated(*fresh));
  EXPECT_EQ(DIALShortTerm(*a), DIALShortTerm(*fresh));

  // Non-finite samples where the clean signal is silent.
  std::vector<float> bad = clean;
  std::size_t replaced = 0;
  for (std::size_t n = 0; n < bad.size() && replaced < 50; ++n)
    if (bad[n] == 0.0f) bad[n] = (replaced++ % 2) ? std::numeric_limits<float>::infinity() : std::nanf("");
  ASSERT_EQ(replaced, 50u);
  auto b = MakeDIAL(rate);
  double x[kAnalyzerChannels] = {};
  for (float v : bad) {
    x[0] = x[1] = static_cast<double>(v);
    x[4] = 1.0;  // outside "2.0": never measured
    MeterDIAL(*b, Config::Stereo, true, x);
    MeasureDIAL(*b, Config::Stereo, true, x);
  }
  EXPECT_EQ(b->gate.speechBlocks, fresh->gate.speechBlocks);
  EXPECT_EQ(DIALIntegrated(*b), DIALIntegrated(*fresh));
  EXPECT_EQ(DIALShortTerm(*b), DIALShortTerm(*fresh));
  EXPECT_EQ(b->meters[4].maxHold, 0.0);
  EXPECT_TRUE(std::isfinite(DIALTruePeakMax(*b)));
  EXPECT_GT(DIALTruePeakMax(*b), -10.0);
}

// Everything the DIAL type shows: readings and meter columns.
std::vector<double> Shown(const DIALAnalyzer& a) {
  std::vector<double> v = {DIALIntegrated(a),   static_cast<double>(DIALIntegratedValid(a)),
                           DIALSpeechRatio(a),  DIALShortTerm(a),
                           DIALShortTermMax(a), DIALTruePeakMax(a),
                           DIALSpeechRange(a),  static_cast<double>(DIALSpeechRangeValid(a)),
                           DIALRange(a),        static_cast<double>(DIALRangeValid(a))};
  for (const ChannelPeakMeter& m : a.meters) v.insert(v.end(), {m.maxHold, m.peak, m.light});
  return v;
}

// The block form against the per-sample form on speech, music-like material
// and noise: six different channels (one beyond full scale, lighting its
// clip light), measured as 5.1 and then as 2.0, so four channels leave the
// layout and fade. Fed whole, sample by sample and in odd splits, it shows
// the same bits every half second, on every path.
TEST(DIALAnalyzer, BlockFormShowsThePerSampleBitsAtEverySplit) {
  constexpr double kGains[kAnalyzerChannels] = {1.0, 3.0, 0.5, 0.7, 0.3, 1.2};
  for (int rate : {32000, 44100, 48000}) {
    const test::Material& speech = test::SynthesisedSpeech(rate);
    ASSERT_TRUE(speech.error.empty()) << speech.error;
    const std::vector<float> materials[] = {speech.samples, test::RhythmicChords(rate),
                                            test::BroadbandNoise(rate)};
    for (const std::vector<float>& material : materials) {
      const std::size_t total = std::min<std::size_t>(material.size(), 6 * static_cast<std::size_t>(rate));
      std::vector<std::vector<double>> channels(kAnalyzerChannels, std::vector<double>(total));
      for (std::size_t n = 0; n < total; ++n)
        for (std::size_t c = 0; c < kAnalyzerChannels; ++c)
          channels[c][n] = kGains[c] * static_cast<double>(material[(n + 4801 * c) % total]);
      const std::size_t check = static_cast<std::size_t>(rate / 2);
      const auto configAt = [&](std::size_t n) {
        return n < total / 3 ? Config::FivePointOne : Config::Stereo;
      };

      for (SimdPath path : {SimdPath::Baseline, SimdPath::Avx2Fma}) {
        if (!SimdPathSupported(path)) continue;
        const auto make = [&] {
          auto a = MakeDIAL(rate);
          SelectTruePeakBankPath(a->truePeak, path);
          SelectKWeightingBankPath(a->kWeighting, path);
          return a;
        };
        auto reference = make();
        std::vector<std::vector<double>> expected;
        for (std::size_t n = 0; n < total; ++n) {
          double x[kAnalyzerChannels];
          for (std::size_t c = 0; c < kAnalyzerChannels; ++c) x[c] = channels[c][n];
          MeterDIAL(*reference, configAt(n), true, x);
          MeasureDIAL(*reference, configAt(n), true, x);
          if ((n + 1) % check == 0) expected.push_back(Shown(*reference));
        }
        for (auto splits : {std::vector<std::size_t>{total}, {1}, {7, 13, 1000, 3}}) {
          auto a = make();
          std::size_t shown = 0;
          for (std::size_t done = 0, i = 0; done < total; ++i) {
            // Pieces end at checkpoints and where the layout changes.
            std::size_t n = std::min({splits[i % splits.size()], total - done, check - done % check});
            if (done < total / 3) n = std::min(n, total / 3 - done);
            const double* x[kAnalyzerChannels];
            for (std::size_t c = 0; c < kAnalyzerChannels; ++c) x[c] = channels[c].data() + done;
            ProcessDIALBlock(*a, configAt(done), true, true, x, static_cast<int>(n));
            done += n;
            if (done % check != 0) continue;
            ASSERT_EQ(Shown(*a), expected[shown++]) << rate << " Hz, path " << static_cast<int>(path)
                                                    << ", split " << splits[0] << ", at " << done;
          }
          EXPECT_GT(a->meters[1].maxHold, 1.0);  // the clip light had something to show
        }
      }
    }
  }
}

}  // namespace
}  // namespace kalvo5
