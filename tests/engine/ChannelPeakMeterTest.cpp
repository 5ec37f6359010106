#include "engine/ChannelPeakMeter.h"

#include <gtest/gtest.h>

#include <cmath>

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

}  // namespace
}  // namespace kalvo5
