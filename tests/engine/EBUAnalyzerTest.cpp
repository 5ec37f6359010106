#include "engine/EBUAnalyzer.h"

#include <ebur128.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include "SpeechMaterial.h"
#include "engine/LevelScale.h"
#include "support/EbuR128Oracle.h"
#include "support/Signals.h"

namespace kalvo5 {
namespace {

using Config = LoudnessChannelConfig;

std::unique_ptr<EBUAnalyzer> MakeAnalyzer(double rate, SimdPath path = BestSimdPath()) {
  auto a = std::make_unique<EBUAnalyzer>();
  EXPECT_TRUE(InitEBU(*a, rate));
  EXPECT_TRUE(SelectTruePeakBankPath(a->truePeak, path));
  EXPECT_TRUE(SelectKWeightingBankPath(a->kWeighting, path));
  return a;
}

// Feeds six-channel frames as the block driver does while measuring.
void Feed(EBUAnalyzer& a, Config config, const std::vector<double>& frames, bool measuring = true) {
  for (std::size_t n = 0; n < frames.size() / 6; ++n) {
    const auto& x = *reinterpret_cast<const double(*)[6]>(&frames[n * 6]);
    MeterEBU(a, config, true, x);
    MeasureEBU(a, config, measuring, x);
  }
}

// Feeds the same frames through the block form in pieces of random length
// (1 ... 700 frames, across the form's internal pieces of 256).
void FeedBlocks(EBUAnalyzer& a, Config config, const std::vector<double>& frames, unsigned seed,
                bool truePeak = true, bool measuring = true) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> length(1, 700);
  const std::size_t total = frames.size() / 6;
  std::vector<std::vector<double>> planar(6, std::vector<double>(total));
  for (std::size_t n = 0; n < total; ++n)
    for (std::size_t c = 0; c < 6; ++c) planar[c][n] = frames[n * 6 + c];
  for (std::size_t n = 0; n < total;) {
    const std::size_t piece = std::min<std::size_t>(static_cast<std::size_t>(length(rng)), total - n);
    const double* x[6];
    for (std::size_t c = 0; c < 6; ++c) x[c] = planar[c].data() + n;
    ProcessEBUBlock(a, config, truePeak, measuring, x, static_cast<int>(piece));
    n += piece;
  }
}

// Six channels, the listed ones carrying the signal.
std::vector<double> OnChannels(const std::vector<double>& signal, std::initializer_list<int> on) {
  std::vector<std::vector<double>> channels(6, std::vector<double>(signal.size(), 0.0));
  for (int c : on) channels[static_cast<std::size_t>(c)] = signal;
  return test::Interleave(channels);
}

std::vector<double> Sine997(double seconds, double amplitude = 0.1) {
  return test::Sine(997.0, 48000.0, amplitude, static_cast<std::size_t>(seconds * 48000.0));
}

// The reference tone: a 997 Hz sine at -20 dBFS reads -23.0 LUFS on one
// front channel (the K-weighting's +0.691 dB at 997 Hz cancels the -0.691
// offset), 3 LU more on two, and 1.49 LU more (10 log10 1.41) on a surround.
TEST(EBUAnalyzer, ReferenceToneReadsMinus23OnOneChannel) {
  struct Case {
    Config config;
    std::initializer_list<int> on;
    double loudness;
  };
  const double surround = -23.0 + 10 * std::log10(1.41);
  for (const Case& c : {Case{Config::Mono, {0}, -23.0}, Case{Config::Stereo, {0, 1}, -20.0},
                        Case{Config::FivePointOne, {2}, -23.0}, Case{Config::FivePointOne, {4}, surround},
                        Case{Config::Quad, {3}, surround}}) {
    auto a = MakeAnalyzer(48000.0);
    Feed(*a, c.config, OnChannels(Sine997(20.0), c.on));
    if (c.config == Config::Mono) {
      EXPECT_EQ(EBUIntegrated(*a), -23.0);
    }
    const int config = static_cast<int>(c.config);
    EXPECT_NEAR(EBUMomentary(*a), c.loudness, 0.02) << config;
    EXPECT_NEAR(EBUShortTerm(*a), c.loudness, 0.02) << config;
    EXPECT_EQ(EBUMomentaryMax(*a), RoundToTenth(c.loudness)) << config;
    EXPECT_EQ(EBUShortTermMax(*a), RoundToTenth(c.loudness)) << config;
    EXPECT_NEAR(a->integrator.gated, c.loudness, 0.02) << config;
    EXPECT_EQ(EBUIntegrated(*a), RoundToTenth(a->integrator.gated));
    EXPECT_TRUE(EBUIntegratedValid(*a));
    EXPECT_EQ(EBULoudnessRange(*a), 0.0);
    EXPECT_NEAR(EBUTruePeakMax(*a), -20.0, 0.2);
  }
}

// Channels outside the layout, and the LFE of "5.1" and "4.1", never count
// in the loudness, whatever they carry.
TEST(EBUAnalyzer, LfeAndChannelsOutsideTheLayoutDoNotCount) {
  const std::vector<double> tone = Sine997(5.0);
  const std::vector<double> loud = test::Noise(8, 0.9, tone.size());
  struct Case {
    Config config;
    int ignored;
  };
  for (const Case& c : {Case{Config::FivePointOne, 3}, Case{Config::QuadLfe, 4}, Case{Config::Stereo, 2},
                        Case{Config::Mono, 1}}) {
    std::vector<double> frames = OnChannels(tone, {0});
    for (std::size_t n = 0; n < tone.size(); ++n)
      frames[n * 6 + static_cast<std::size_t>(c.ignored)] = loud[n];
    auto with = MakeAnalyzer(48000.0);
    auto without = MakeAnalyzer(48000.0);
    Feed(*with, c.config, frames);
    Feed(*without, c.config, OnChannels(tone, {0}));
    EXPECT_EQ(EBUShortTerm(*with), EBUShortTerm(*without)) << static_cast<int>(c.config);
    EXPECT_EQ(EBUIntegrated(*with), EBUIntegrated(*without));
  }
}

TEST(EBUAnalyzer, ReadingsBeforeAnyValueAndValidityFlags) {
  auto a = MakeAnalyzer(48000.0);
  EXPECT_EQ(EBUIntegrated(*a), -141.0);
  EXPECT_FALSE(EBUIntegratedValid(*a));
  EXPECT_FALSE(EBURangeValid(*a));
  for (double r : {EBUMomentary(*a), EBUMomentaryMax(*a), EBUShortTerm(*a), EBUShortTermMax(*a),
                   EBULoudnessRange(*a), EBUTruePeakMax(*a)})
    EXPECT_EQ(r, kSilenceDb);

  // Silence leaves the integrated loudness without a value.
  Feed(*a, Config::Stereo, std::vector<double>(6 * 48000 * 4, 0.0));
  EXPECT_EQ(EBUIntegrated(*a), -141.0);
  EXPECT_FALSE(EBUIntegratedValid(*a));
  EXPECT_FALSE(EBURangeValid(*a));

  // A first 100 ms block above -70 LUFS makes it valid; the loudness range
  // needs the first block after the 3 s window has filled: the 31st
  // short-term block, 31 * 4799 samples after the reset.
  ResetEBU(*a);
  const std::vector<double> tone = OnChannels(Sine997(4.0, 0.001), {0});  // -63 LUFS
  const auto frameCount = static_cast<long>(tone.size() / 6);
  for (long n = 0; n < frameCount; ++n) {
    const auto& x = *reinterpret_cast<const double(*)[6]>(&tone[static_cast<std::size_t>(n) * 6]);
    MeterEBU(*a, Config::Mono, true, x);
    MeasureEBU(*a, Config::Mono, true, x);
    const long count = n + 1;
    ASSERT_EQ(EBUIntegratedValid(*a), count >= 4800) << count;
    ASSERT_EQ(EBURangeValid(*a), count >= 31 * 4799) << count;
  }
  EXPECT_EQ(EBUShortTermMax(*a), -63.0);
  EXPECT_EQ(EBULoudnessRange(*a), 0.0);
}

// While a synchronised measurement waits, the meters and the true-peak
// maximum move and the loudness stands still.
TEST(EBUAnalyzer, NotMeasuringKeepsMetersRunningAndLoudnessStill) {
  auto a = MakeAnalyzer(48000.0);
  Feed(*a, Config::Stereo, OnChannels(Sine997(1.0), {0, 1}), false);
  EXPECT_EQ(EBUMomentary(*a), kSilenceDb);
  EXPECT_FALSE(EBUIntegratedValid(*a));
  EXPECT_NEAR(EBUTruePeakMax(*a), -20.0, 0.2);
  EXPECT_NEAR(a->meters[0].maxHold, 0.1, 0.003);
}

TEST(EBUAnalyzer, ClipLightsFollowTheTruePeakEnvelope) {
  auto a = MakeAnalyzer(48000.0);
  // Sample peaks of 0.99, inter-sample peaks of 1.4: only true peak sees the
  // overload.
  Feed(*a, Config::Stereo, OnChannels(test::Sine(12000.0, 48000.0, 1.4, 4800, std::numbers::pi / 4), {0}));
  EXPECT_EQ(a->meters[0].light, 1.0);
  EXPECT_EQ(a->meters[1].light, 0.0);
  ResetEBU(*a);
  EXPECT_EQ(a->meters[0].light, 0.0);
  EXPECT_EQ(EBUTruePeakMax(*a), kSilenceDb);
}

TEST(EBUAnalyzer, NonFiniteSamplesAreMeasuredAsSilence) {
  auto a = MakeAnalyzer(48000.0);
  auto b = MakeAnalyzer(48000.0);
  std::vector<double> frames = OnChannels(Sine997(4.0), {0, 1});
  Feed(*b, Config::Stereo, frames);
  frames[6 * 1000] = std::numeric_limits<double>::quiet_NaN();
  frames[6 * 1000 + 1] = std::numeric_limits<double>::infinity();
  std::vector<double> zeroed = OnChannels(Sine997(4.0), {0, 1});
  zeroed[6 * 1000] = 0.0;
  zeroed[6 * 1000 + 1] = 0.0;
  Feed(*a, Config::Stereo, frames);
  auto c = MakeAnalyzer(48000.0);
  Feed(*c, Config::Stereo, zeroed);
  EXPECT_EQ(EBUShortTerm(*a), EBUShortTerm(*c));
  EXPECT_EQ(EBUTruePeakMax(*a), EBUTruePeakMax(*c));
  EXPECT_NEAR(EBUShortTerm(*a), EBUShortTerm(*b), 1e-6);
}

TEST(EBUAnalyzer, RatesThatAreNotFiniteAndPositiveChangeNothing) {
  auto a = MakeAnalyzer(48000.0);
  Feed(*a, Config::Stereo, OnChannels(Sine997(1.0), {0, 1}));
  const double before = EBUShortTerm(*a);
  for (double rate : {0.0, -48000.0, std::numeric_limits<double>::quiet_NaN(), HUGE_VAL})
    EXPECT_FALSE(InitEBU(*a, rate));
  EXPECT_EQ(a->sampleRate, 48000.0);
  Feed(*a, Config::Stereo, OnChannels(Sine997(0.5), {0, 1}));
  EXPECT_NEAR(EBUShortTerm(*a), before + 10 * std::log10(1.5), 0.05);
}

// Programme material for the comparisons with libebur128: noise smoothed
// towards the low end, as programme is (near Nyquist the two meters'
// true-peak interpolators differ), under a level that moves to a new value
// every few seconds in a one-second fade, with silent gaps.
std::vector<double> SteppedNoise(unsigned seed, double rate, double seconds, double smoothing) {
  const auto count = static_cast<std::size_t>(seconds * rate);
  std::mt19937 rng(seed);
  std::normal_distribution<double> noise(0.0, 1.0);
  std::uniform_real_distribution<double> length(2.0, 7.0);
  std::uniform_real_distribution<double> level(-40.0, -14.0);
  std::uniform_real_distribution<double> chance(0.0, 1.0);
  std::vector<double> out(count);
  double y1 = 0.0, y2 = 0.0, from = -40.0, to = -40.0;
  bool gap = false;
  std::size_t start = 0, next = 0;
  const auto fade = static_cast<std::size_t>(rate);
  for (std::size_t n = 0; n < count; ++n) {
    if (n == next) {
      from = to;
      to = level(rng);
      gap = chance(rng) < 0.15;
      start = n;
      next = n + static_cast<std::size_t>(length(rng) * rate);
    }
    const double t = std::min(1.0, static_cast<double>(n - start) / static_cast<double>(fade));
    const double gain = gap ? 0.0 : 4.0 * std::pow(10.0, (from + (to - from) * t) / 20.0);
    y1 = smoothing * y1 + (1.0 - smoothing) * noise(rng);
    y2 = smoothing * y2 + (1.0 - smoothing) * y1;
    out[n] = gain * y2;
  }
  return out;
}

struct Programme {
  const char* name;
  double rate;
  Config config;
  std::vector<int> roles;      // libebur128 channel of each of our channels in the layout
  std::vector<double> frames;  // six channels
};

std::vector<Programme> Programmes() {
  std::vector<Programme> list;
  {
    // Stereo at 48 kHz: noise bursts with level steps and gaps, 70 s.
    auto left = SteppedNoise(1, 48000, 70, 0.6);
    auto right = SteppedNoise(2, 48000, 70, 0.6);
    std::vector<std::vector<double>> ch(6, std::vector<double>(left.size(), 0.0));
    ch[0] = left;
    ch[1] = right;
    list.push_back(
        {"2.0 at 48 kHz", 48000, Config::Stereo, {EBUR128_LEFT, EBUR128_RIGHT}, test::Interleave(ch)});
  }
  {
    // 5.1 at 48 kHz: every channel its own programme, a loud LFE, 60 s.
    std::vector<std::vector<double>> ch;
    for (unsigned c = 0; c < 6; ++c) ch.push_back(SteppedNoise(10 + c, 48000, 60, c == 3 ? 0.98 : 0.5));
    list.push_back({"5.1 at 48 kHz",
                    48000,
                    Config::FivePointOne,
                    {EBUR128_LEFT, EBUR128_RIGHT, EBUR128_CENTER, EBUR128_UNUSED, EBUR128_LEFT_SURROUND,
                     EBUR128_RIGHT_SURROUND},
                    test::Interleave(ch)});
  }
  {
    // Mono at 44.1 kHz: a tone over stepped noise, 65 s.
    auto x = SteppedNoise(20, 44100, 65, 0.7);
    const auto tone = test::Sine(440.0, 44100.0, 0.05, x.size());
    for (std::size_t n = 0; n < x.size(); ++n) x[n] += x[n] != 0.0 ? tone[n] : 0.0;
    std::vector<std::vector<double>> ch(6, std::vector<double>(x.size(), 0.0));
    ch[0] = x;
    list.push_back({"1.0 at 44.1 kHz", 44100, Config::Mono, {EBUR128_CENTER}, test::Interleave(ch)});
  }
  {
    // 4.1 at 44.1 kHz, 60 s.
    std::vector<std::vector<double>> ch;
    for (unsigned c = 0; c < 5; ++c) ch.push_back(SteppedNoise(30 + c, 44100, 60, c == 4 ? 0.98 : 0.5));
    ch.push_back(std::vector<double>(ch[0].size(), 0.0));
    list.push_back(
        {"4.1 at 44.1 kHz",
         44100,
         Config::QuadLfe,
         {EBUR128_LEFT, EBUR128_RIGHT, EBUR128_LEFT_SURROUND, EBUR128_RIGHT_SURROUND, EBUR128_UNUSED},
         test::Interleave(ch)});
  }
  return list;
}

// What both meters report for a programme.
struct Readings {
  double integrated, range, momentaryMax, shortTermMax, truePeakMax;
};

Readings Ours(const Programme& p, SimdPath path = BestSimdPath()) {
  auto a = MakeAnalyzer(p.rate, path);
  Feed(*a, p.config, p.frames);
  return {EBUIntegrated(*a), EBULoudnessRange(*a), EBUMomentaryMax(*a), EBUShortTermMax(*a),
          EBUTruePeakMax(*a)};
}

// The loudness range by its definition (EBU Tech 3342) over exact
// short-term values: those at or above -70 LUFS, then those at or above
// their mean loudness - 20 LU, from the 10th to the 95th percentile.
double RangeByDefinition(const std::vector<double>& shortTerm) {
  std::vector<double> gated;
  double energy = 0.0;
  for (double v : shortTerm) {
    if (v < -70.0) continue;
    gated.push_back(v);
    energy += std::pow(10.0, (v + 0.691) / 10.0);
  }
  const double threshold = MeanSquareToLoudness(energy / static_cast<double>(gated.size())) - 20.0;
  std::vector<double> list;
  for (double v : gated)
    if (v >= threshold) list.push_back(v);
  std::sort(list.begin(), list.end());
  const double last = static_cast<double>(list.size() - 1);
  return list[static_cast<std::size_t>(std::floor(last * 0.95 + 0.5))] -
         list[static_cast<std::size_t>(std::floor(last * 0.10 + 0.5))];
}

// libebur128's readings. Its momentary and short-term loudness are read
// every 100 ms for their maxima and for the loudness range, which applies
// the definition to those short-term values: libebur128's own range takes a
// short-term value only once per second, and on a minute of programme that
// sparser sampling alone moves the percentiles by more than half a LU.
Readings Libebur128(const Programme& p, double* ownRange) {
  const auto channels = static_cast<unsigned>(p.roles.size());
  test::EbuR128Oracle oracle(
      channels, static_cast<unsigned long>(p.rate),
      EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_M | EBUR128_MODE_S | EBUR128_MODE_TRUE_PEAK);
  oracle.SetChannels(p.roles);
  const std::size_t frames = p.frames.size() / 6;
  const auto hop = static_cast<std::size_t>(p.rate / 10);
  std::vector<double> chunk, shortTerm;
  double momentaryMax = -HUGE_VAL;
  for (std::size_t start = 0; start + hop <= frames; start += hop) {
    chunk.clear();
    for (std::size_t n = start; n < start + hop; ++n)
      for (unsigned c = 0; c < channels; ++c) chunk.push_back(p.frames[n * 6 + c]);
    oracle.Add(chunk);
    momentaryMax = std::max(momentaryMax, oracle.Momentary());
    if (start + hop >= static_cast<std::size_t>(3 * p.rate)) shortTerm.push_back(oracle.ShortTerm());
  }
  *ownRange = oracle.Range();
  return {oracle.Integrated(), RangeByDefinition(shortTerm), momentaryMax,
          *std::max_element(shortTerm.begin(), shortTerm.end()), oracle.MaxTruePeakDb()};
}

// Ours deliberately differs in one detail, inside the tolerance: the
// loudness range takes its percentiles from a histogram of 0.1 LU bins.
TEST(EBUAnalyzer, AgreesWithLibebur128OnProgrammeMaterial) {
  for (const Programme& p : Programmes()) {
    const Readings ours = Ours(p);
    double ownRange = 0.0;
    const Readings reference = Libebur128(p, &ownRange);
    EXPECT_NEAR(ours.integrated, reference.integrated, 0.1) << p.name;
    EXPECT_NEAR(ours.range, reference.range, 0.2) << p.name;
    EXPECT_NEAR(ours.range, ownRange, 1.0) << p.name;
    EXPECT_NEAR(ours.momentaryMax, reference.momentaryMax, 0.1) << p.name;
    EXPECT_NEAR(ours.shortTermMax, reference.shortTermMax, 0.1) << p.name;
    EXPECT_NEAR(ours.truePeakMax, reference.truePeakMax, 0.2) << p.name;
    EXPECT_GT(reference.range, 3.0) << p.name;  // the material does spread
  }
}

// 70 minutes: 10 at -23 LUFS, then 60 at -33 (a 997 Hz tone). The first 10
// minutes still count after the hour, in the integrated loudness and in the
// range. At 48 kHz, where both meters' K-weighting agree to 0.001 LU.
TEST(EBUAnalyzer, ProgrammesLongerThanAnHourCountFromTheStart) {
  constexpr int kRate = 48000;
  auto a = MakeAnalyzer(kRate);
  test::EbuR128Oracle oracle(1, kRate, EBUR128_MODE_I | EBUR128_MODE_LRA);
  // A second holds 997 whole periods: each level's second repeats exactly.
  const std::vector<double> loud = Sine997(1.0);
  std::vector<double> quiet = loud;
  for (double& x : quiet) x *= std::pow(10.0, -0.5);
  for (int s = 0; s < 70 * 60; ++s) {
    const std::vector<double>& second = s < 10 * 60 ? loud : quiet;
    for (double v : second) {
      const double x[kAnalyzerChannels] = {v};
      MeasureEBU(*a, Config::Mono, true, x);
    }
    oracle.Add(second);
  }
  std::printf("[ 70 min   ] Kalvo5 I %.3f LUFS, LRA %.1f LU; libebur128 I %.3f LUFS, LRA %.2f LU\n",
              a->integrator.gated, EBULoudnessRange(*a), oracle.Integrated(), oracle.Range());
  EXPECT_NEAR(a->integrator.gated, oracle.Integrated(), 0.02);
  EXPECT_NEAR(EBULoudnessRange(*a), oracle.Range(), 0.15);
}

// Mono frames of a float signal, on channel 0 of six.
std::vector<double> MonoFrames(const std::vector<float>& x, std::size_t count) {
  std::vector<double> mono(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(std::min(count, x.size())));
  return OnChannels(mono, {0});
}

// The blocks ending at 100, 200 and 300 ms, while the 400 ms window still
// fills, give an early estimate; from the first complete block on the
// integrated loudness is BS.1770's, checked every 100 ms of a 2 s tone.
TEST(EBUAnalyzer, EarlyBlocksGiveWayToBS1770sAtTheFirstCompleteBlock) {
  auto a = MakeAnalyzer(48000.0);
  test::EbuR128Oracle oracle(1, 48000, EBUR128_MODE_I);
  const std::vector<double> tone = Sine997(2.0);
  for (std::size_t block = 0; block < 20; ++block) {
    const std::vector<double> chunk(tone.begin() + static_cast<std::ptrdiff_t>(block * 4800),
                                    tone.begin() + static_cast<std::ptrdiff_t>((block + 1) * 4800));
    Feed(*a, Config::Mono, OnChannels(chunk, {0}));
    oracle.Add(chunk);
    ASSERT_TRUE(EBUIntegratedValid(*a)) << block;
    if (block < 3) {
      EXPECT_LT(a->integrator.gated, -24.0) << block;  // a window partly of zeros
    } else {
      ASSERT_NEAR(a->integrator.gated, oracle.Integrated(), 0.005) << block;
    }
  }
  std::printf("[ 2 s tone ] Kalvo5 %.3f LUFS, libebur128 %.3f LUFS\n", a->integrator.gated,
              oracle.Integrated());
}

// Short pieces, where the early blocks would weigh most, agree with
// libebur128 to 0.02 LU: music-like jingles and synthesised speech. The
// plucked chords' reading is also pinned to 12 digits.
TEST(EBUAnalyzer, ShortPiecesAgreeWithLibebur128) {
  const test::Material& speech = test::SynthesisedSpeech(48000);
  ASSERT_TRUE(speech.error.empty()) << speech.error;
  const double unpinned = std::numeric_limits<double>::quiet_NaN();
  const struct {
    const char* name;
    std::vector<double> frames;
    double pinned;  // the reading to 12 digits, where the material is fixed
  } pieces[] = {
      {"plucked chords 5.5 s", MonoFrames(test::RhythmicChords(48000), 5 * 48000 + 24000), -21.7164455611},
      {"held chord 5.5 s", MonoFrames(test::SteadyTones(48000), 5 * 48000 + 24000), unpinned},
      {"speech 8 s", MonoFrames(speech.samples, 8 * 48000), unpinned}};
  for (const auto& piece : pieces) {
    auto a = MakeAnalyzer(48000.0);
    Feed(*a, Config::Mono, piece.frames);
    test::EbuR128Oracle oracle(6, 48000, EBUR128_MODE_I);
    oracle.SetChannels(
        {EBUR128_LEFT, EBUR128_UNUSED, EBUR128_UNUSED, EBUR128_UNUSED, EBUR128_UNUSED, EBUR128_UNUSED});
    oracle.Add(piece.frames);
    std::printf("[ short    ] %s: Kalvo5 %.3f LUFS, libebur128 %.3f LUFS\n", piece.name, a->integrator.gated,
                oracle.Integrated());
    EXPECT_NEAR(a->integrator.gated, oracle.Integrated(), 0.02) << piece.name;
    if (!std::isnan(piece.pinned)) {
      EXPECT_NEAR(a->integrator.gated, piece.pinned, 1e-10) << piece.name;
    }
  }
}

// Every instruction-set path gives the same readings, and the readings of a
// fixed programme stay what they were (so numeric drift shows up).
TEST(EBUAnalyzer, PathsAgreeAndReadingsStayPut) {
  std::vector<std::vector<double>> ch;
  for (unsigned c = 0; c < 6; ++c) ch.push_back(SteppedNoise(40 + c, 48000, 15, 0.5));
  const std::vector<double> frames = test::Interleave(ch);
  for (SimdPath path : {SimdPath::Baseline, SimdPath::Avx2Fma}) {
    if (!SimdPathSupported(path)) continue;
    auto a = MakeAnalyzer(48000.0, path);
    Feed(*a, Config::FivePointOne, frames);
    const int p = static_cast<int>(path);
    EXPECT_NEAR(EBUShortTerm(*a), -5.06817070779, 1e-10) << p;
    EXPECT_NEAR(EBUMomentary(*a), -6.64482202827, 1e-10) << p;
    EXPECT_NEAR(a->integrator.gated, -6.77351311414, 1e-10) << p;
    EXPECT_NEAR(EBUTruePeakMax(*a), 3.55979933252, 1e-10) << p;
    EXPECT_EQ(EBUIntegrated(*a), -6.8) << p;
    EXPECT_EQ(EBULoudnessRange(*a), 6.7) << p;
    EXPECT_EQ(EBUMomentaryMax(*a), -4.0) << p;
    EXPECT_EQ(EBUShortTermMax(*a), -4.6) << p;

    // The block form reads the same, whatever the split.
    auto b = MakeAnalyzer(48000.0, path);
    FeedBlocks(*b, Config::FivePointOne, frames, 7 + p);
    EXPECT_NEAR(EBUShortTerm(*b), -5.06817070779, 1e-10) << p;
    EXPECT_NEAR(EBUMomentary(*b), -6.64482202827, 1e-10) << p;
    EXPECT_NEAR(b->integrator.gated, -6.77351311414, 1e-10) << p;
    EXPECT_NEAR(EBUTruePeakMax(*b), 3.55979933252, 1e-10) << p;
    EXPECT_EQ(EBUIntegrated(*b), -6.8) << p;
    EXPECT_EQ(EBULoudnessRange(*b), 6.7) << p;
    EXPECT_EQ(EBUMomentaryMax(*b), -4.0) << p;
    EXPECT_EQ(EBUShortTermMax(*b), -4.6) << p;
  }
}

// The block form against the per-sample form through layout changes (the
// channels that leave a layout fade out in both), with true peak on and off,
// pauses of measurement, and on every path: loudness, true peak and every
// channel's meter agree.
TEST(EBUAnalyzer, BlockFormFollowsThePerSampleFormThroughLayoutChanges) {
  std::vector<std::vector<double>> ch;
  for (unsigned c = 0; c < 6; ++c) ch.push_back(SteppedNoise(60 + c, 48000, 3, 0.5));
  const std::vector<double> frames = test::Interleave(ch);
  const std::size_t third = frames.size() / 18 * 6;
  const std::vector<double> parts[3] = {
      {frames.begin(), frames.begin() + static_cast<long>(third)},
      {frames.begin() + static_cast<long>(third), frames.begin() + static_cast<long>(2 * third)},
      {frames.begin() + static_cast<long>(2 * third), frames.end()}};
  for (SimdPath path : {SimdPath::Baseline, SimdPath::Avx2Fma}) {
    if (!SimdPathSupported(path)) continue;
    for (bool truePeak : {true, false}) {
      auto a = MakeAnalyzer(48000.0, path);
      auto b = MakeAnalyzer(48000.0, path);
      const Config layouts[3] = {Config::FivePointOne, Config::Mono, Config::Stereo};
      for (int i = 0; i < 3; ++i) {
        const bool measuring = i != 1 || truePeak;
        for (std::size_t n = 0; n < parts[i].size() / 6; ++n) {
          const auto& x = *reinterpret_cast<const double(*)[6]>(&parts[i][n * 6]);
          MeterEBU(*a, layouts[i], truePeak, x);
          MeasureEBU(*a, layouts[i], measuring, x);
        }
        FeedBlocks(*b, layouts[i], parts[i], 11u + static_cast<unsigned>(i), truePeak, measuring);
      }
      const auto where = ::testing::Message() << "path " << static_cast<int>(path) << " tp " << truePeak;
      EXPECT_NEAR(EBUMomentary(*b), EBUMomentary(*a), 1e-9) << where;
      EXPECT_NEAR(EBUShortTerm(*b), EBUShortTerm(*a), 1e-9) << where;
      EXPECT_NEAR(b->integrator.gated, a->integrator.gated, 1e-9) << where;
      EXPECT_EQ(EBULoudnessRange(*b), EBULoudnessRange(*a)) << where;
      EXPECT_NEAR(b->momentary.blockMax, a->momentary.blockMax, 1e-12) << where;
      EXPECT_NEAR(EBUTruePeakMax(*b), EBUTruePeakMax(*a), 1e-9) << where;
      for (int c = 0; c < 6; ++c) {
        EXPECT_NEAR(b->meters[c].maxHold, a->meters[c].maxHold, 1e-12) << where << " channel " << c;
        EXPECT_NEAR(b->meters[c].peak, a->meters[c].peak, 1e-12) << where << " channel " << c;
        EXPECT_NEAR(b->meters[c].light, a->meters[c].light, 1e-12) << where << " channel " << c;
      }
    }
  }
}

}  // namespace
}  // namespace kalvo5
