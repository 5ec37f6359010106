#include "engine/ChannelPeakMeter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "engine/EnvelopeMeterBlock.h"
#include "support/Signals.h"

namespace kalvo5 {
namespace {

constexpr double kRate = 1000.0;  // hold 1000 samples, fade to 10 % in 300

// One sample above full scale, then silence: lit at once, held for one
// second after lighting, then fading to 10 % within 0.3 s and on to dark.
TEST(ChannelPeakMeter, ClipLightHoldsOneSecondThenFadesWithin300Ms) {
  for (PeakFallKind kind : {PeakFallKind::Decay, PeakFallKind::Envelope}) {
    ChannelPeakMeter m;
    InitChannelPeakMeter(m, kRate, kind);
    UpdateChannelPeakMeter(m, 0.5);
    EXPECT_EQ(m.light, 0.0);
    UpdateChannelPeakMeter(m, 1.01);
    EXPECT_EQ(m.light, 1.0);
    for (int n = 1; n <= 1000; ++n) UpdateChannelPeakMeter(m, 0.0);
    EXPECT_EQ(m.light, 1.0);  // one second after lighting
    UpdateChannelPeakMeter(m, 0.0);
    EXPECT_LT(m.light, 1.0);
    for (int n = 1; n < 300; ++n) UpdateChannelPeakMeter(m, 0.0);
    EXPECT_NEAR(m.light, 0.1, 1e-12);
    for (int n = 0; n < 5000; ++n) UpdateChannelPeakMeter(m, 0.0);
    EXPECT_EQ(m.light, 0.0);
    EXPECT_EQ(m.maxHold, 1.01);
  }
}

// The light fades only once the falling peak is back below full scale.
TEST(ChannelPeakMeter, ClipLightStaysOnWhileThePeakStaysAboveFullScale) {
  ChannelPeakMeter m;
  InitChannelPeakMeter(m, kRate, PeakFallKind::Decay);
  // A steady input rises on every other sample (equal is not above) and
  // falls in between; an odd count ends on a rise, at 1.5.
  for (int n = 0; n < 3001; ++n) UpdateChannelPeakMeter(m, 1.5);
  EXPECT_EQ(m.peak, 1.5);
  EXPECT_EQ(m.light, 1.0);
  // 1.5 falls below 1.0 after log10(1.5) / 0.002 = 88 samples at 40 dB/s.
  for (int n = 0; n < 88; ++n) UpdateChannelPeakMeter(m, 0.0);
  EXPECT_EQ(m.light, 1.0);
  UpdateChannelPeakMeter(m, 0.0);
  EXPECT_LT(m.light, 1.0);
  // A new overload lights it again at once.
  UpdateChannelPeakMeter(m, 2.0);
  EXPECT_EQ(m.light, 1.0);
}

TEST(ChannelPeakMeter, PeakDisplayFalls40Or20DbPerSecond) {
  ChannelPeakMeter decay, envelope;
  InitChannelPeakMeter(decay, kRate, PeakFallKind::Decay);
  InitChannelPeakMeter(envelope, kRate, PeakFallKind::Envelope);
  UpdateChannelPeakMeter(decay, 0.5);
  UpdateChannelPeakMeter(envelope, 0.5);
  for (int n = 0; n < 1000; ++n) {
    UpdateChannelPeakMeter(decay, 0.0);
    UpdateChannelPeakMeter(envelope, 0.0);
  }
  EXPECT_NEAR(20 * std::log10(decay.peak / 0.5), -40.0, 1e-9);
  EXPECT_NEAR(20 * std::log10(envelope.peak / 0.5), -20.0, 1e-9);
  // The envelope falls towards its input, the decaying peak towards zero.
  for (int n = 0; n < 20000; ++n) {
    UpdateChannelPeakMeter(decay, 0.001);
    UpdateChannelPeakMeter(envelope, 0.001);
  }
  EXPECT_NEAR(envelope.peak, 0.001, 1e-12);
  EXPECT_NEAR(decay.peak, 0.001, 0.001 * (1 - std::pow(10.0, -2.0 / kRate)) + 1e-15);
  EXPECT_EQ(decay.maxHold, 0.5);

  ResetChannelPeakMeter(decay);
  EXPECT_EQ(decay.maxHold, 0.0);
  EXPECT_EQ(decay.peak, 0.0);
  EXPECT_EQ(decay.light, 0.0);
}

// The block form of the envelope meters against the per-sample form, one to
// six meters at a time, in pieces of random length: quiet noise that leaves
// the clip light dark, bursts above full scale that light it, and the hold
// and fade after them, with one meter lit while the others stay dark. Fed
// the signed samples instead (MeterValues::Samples), the block form ends bit
// for bit as fed their magnitudes.
TEST(ChannelPeakMeter, EnvelopeBlockFormFollowsThePerSampleForm) {
  const std::size_t length = 6000;
  std::vector<std::vector<double>> samples, magnitudes;
  for (unsigned c = 0; c < 6; ++c) {
    std::vector<double> x = test::Noise(20 + c, 0.3, length);
    if (c == 1)
      for (std::size_t n = 1500; n < 1540; ++n) x[n] *= 6.0;  // above full scale
    samples.push_back(x);
    for (double& v : x) v = std::fabs(v);
    magnitudes.push_back(x);
  }
  for (int count = 1; count <= 6; ++count) {
    std::vector<ChannelPeakMeter> perSample(6), block(6), fromSamples(6);
    for (int c = 0; c < 6; ++c) {
      InitChannelPeakMeter(perSample[static_cast<std::size_t>(c)], kRate, PeakFallKind::Envelope);
      InitChannelPeakMeter(block[static_cast<std::size_t>(c)], kRate, PeakFallKind::Envelope);
      InitChannelPeakMeter(fromSamples[static_cast<std::size_t>(c)], kRate, PeakFallKind::Envelope);
    }
    std::mt19937 rng(static_cast<unsigned>(count));
    std::uniform_int_distribution<int> piece(1, 300);
    bool lit = false;
    for (std::size_t n = 0; n < length;) {
      const auto frames = std::min<std::size_t>(static_cast<std::size_t>(piece(rng)), length - n);
      ChannelPeakMeter* meters[6];
      ChannelPeakMeter* samplesMeters[6];
      const double* x[6];
      const double* signedX[6];
      for (int c = 0; c < count; ++c) {
        const auto i = static_cast<std::size_t>(c);
        for (std::size_t k = n; k < n + frames; ++k)
          UpdateChannelPeakMeterOf<PeakFallKind::Envelope>(perSample[i], magnitudes[i][k]);
        meters[c] = &block[i];
        samplesMeters[c] = &fromSamples[i];
        x[c] = magnitudes[i].data() + n;
        signedX[c] = samples[i].data() + n;
      }
      UpdateEnvelopeMetersBlock(meters, x, count, static_cast<int>(frames));
      UpdateEnvelopeMetersBlock(samplesMeters, signedX, count, static_cast<int>(frames),
                                MeterValues::Samples);
      n += frames;
      for (int c = 0; c < count; ++c) {
        const auto i = static_cast<std::size_t>(c);
        ASSERT_EQ(block[i].maxHold, perSample[i].maxHold) << count << " " << c << " " << n;
        ASSERT_NEAR(block[i].peak, perSample[i].peak, 1e-12) << count << " " << c << " " << n;
        ASSERT_NEAR(block[i].light, perSample[i].light, 1e-12) << count << " " << c << " " << n;
        ASSERT_EQ(block[i].stage, perSample[i].stage) << count << " " << c << " " << n;
        ASSERT_EQ(block[i].holdCount, perSample[i].holdCount) << count << " " << c << " " << n;
        ASSERT_EQ(fromSamples[i].maxHold, block[i].maxHold) << count << " " << c << " " << n;
        ASSERT_EQ(fromSamples[i].peak, block[i].peak) << count << " " << c << " " << n;
        ASSERT_EQ(fromSamples[i].light, block[i].light) << count << " " << c << " " << n;
        lit = lit || block[i].light > 0.0;
      }
    }
    EXPECT_EQ(lit, count >= 2) << count;
  }
}

}  // namespace
}  // namespace kalvo5
