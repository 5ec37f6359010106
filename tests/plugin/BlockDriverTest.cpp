#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "Kalvo5TestSupport.h"
#include "engine/EBUAnalyzer.h"
#include "engine/LevelScale.h"
#include "support/Signals.h"

namespace kalvo5::test {
namespace {

constexpr double kRate = 48000.0;

Audio SineChannels(int channels, int frames, double amplitude = 0.25) {
  Audio audio(channels, frames);
  for (int c = 0; c < channels; ++c)
    audio[c] = Sine(500.0 + 100.0 * c, kRate, amplitude * (1.0 + 0.1 * c), static_cast<std::size_t>(frames));
  return audio;
}

Audio Filled(int channels, int frames, double value) {
  Audio audio(channels, frames);
  for (int c = 0; c < channels; ++c) std::fill(audio[c].begin(), audio[c].end(), value);
  return audio;
}

TEST_F(PluginTest, RightPassesChannelZeroRawAndGainsChannelOne) {
  plugin->EditorSets(kRMSChannelConfig, 2);
  plugin->EditorSets(kRMSGain, 6.0);
  // Processed in place, as hosts do: an output left alone keeps the input.
  Audio in = SineChannels(2, 4800), out = SineChannels(2, 4800);
  Feed(*plugin, out, out, 256);
  const double gain = DbToGain(6.0);
  for (int n = 0; n < 4800; n += 97) {
    EXPECT_EQ(out[0][n], in[0][n]);
    EXPECT_EQ(out[1][n], gain * in[1][n]);
  }
  // Only channel 1 (amplitude 0.275, +6 dB) is measured.
  EXPECT_EQ(plugin->ReadMeasurement(kTypeRMS).rms.peakMax, RoundToTenth(20.0 * std::log10(0.275 * gain)));
}

TEST_F(PluginTest, LeftLeavesOutputOneAsTheHostFilledItUnlessOutputsAreUnlinked) {
  plugin->EditorSets(kRMSChannelConfig, 1);
  Audio in = SineChannels(2, 1000), out = Filled(2, 1000, 7.0);
  Feed(*plugin, in, out, 1000);
  EXPECT_EQ(out[0][10], in[0][10]);
  EXPECT_EQ(out[1][10], 7.0);

  plugin->EditorSets(kNoLinkOutput, 1);
  Feed(*plugin, in, out, 1000);
  EXPECT_EQ(out[1][10], in[1][10]);
}

TEST_F(PluginTest, LoudnessConfigurationsGainAndWriteTheirChannelsOnly) {
  plugin->EditorSets(kType, kTypeEBU);
  plugin->EditorSets(kEBUGain, -6.0);
  const double gain = DbToGain(-6.0);
  const std::pair<int, int> configs[] = {{0, 1}, {1, 2}, {2, 4}, {3, 5}, {4, 6}};
  for (const auto& [config, channels] : configs) {
    plugin->EditorSets(kEBUChannelConfig, config);
    Audio in = Filled(6, 64, 0.5), out = Filled(6, 64, 9.0);
    Feed(*plugin, in, out, 64);
    for (int c = 0; c < 6; ++c) EXPECT_EQ(out[c][63], c < channels ? 0.5 * gain : 9.0) << config << " " << c;
  }
  // A 5.1 layout on a stereo track: the missing channels read as silence
  // and the missing outputs are not written.
  Audio stereoIn = Filled(2, 64, 0.5), stereoOut = Filled(2, 64, 9.0);
  Feed(*plugin, stereoIn, stereoOut, 64);
  EXPECT_EQ(stereoOut[1][63], 0.5 * gain);
  EXPECT_GT(plugin->ReadMeasurement(kTypeEBU).ebu.truePeakMax, -144.0);

  plugin->EditorSets(kType, kTypeDIAL);
  plugin->EditorSets(kDIALChannelConfig, 0);
  Audio in = Filled(6, 64, 0.5), out = Filled(6, 64, 9.0);
  Feed(*plugin, in, out, 64);
  EXPECT_EQ(out[0][0], 0.5);  // "Dial Gain" is 0 dB
  EXPECT_EQ(out[1][0], 9.0);
}

TEST_F(PluginTest, NonFiniteSamplesPassThroughButAreMeasuredAsSilence) {
  for (int type : {kTypeRMS, kTypeEBU, kTypeDIAL}) {
    TestKalvo5 clean;
    plugin->EditorSets(kType, type);
    clean.EditorSets(kType, type);
    Audio in = SineChannels(2, 9600), zeroed = SineChannels(2, 9600), out(2, 9600), cleanOut(2, 9600);
    const int bad[] = {100, 2000, 5000};
    in[0][bad[0]] = std::numeric_limits<double>::quiet_NaN();
    in[1][bad[1]] = std::numeric_limits<double>::infinity();
    in[0][bad[2]] = -std::numeric_limits<double>::infinity();
    for (int n : bad) zeroed[0][n] = zeroed[1][n] = 0.0;
    zeroed[1][bad[0]] = in[1][bad[0]];
    zeroed[0][bad[1]] = in[0][bad[1]];
    zeroed[1][bad[2]] = in[1][bad[2]];
    Feed(*plugin, in, out, 480);
    Feed(clean, zeroed, cleanOut, 480);
    EXPECT_TRUE(std::isnan(out[0][bad[0]]));
    EXPECT_EQ(out[1][bad[1]], std::numeric_limits<double>::infinity());
    const MeasurementReadings a = plugin->ReadMeasurement(type);
    const MeasurementReadings b = clean.ReadMeasurement(type);
    EXPECT_EQ(a.rms.integrated, b.rms.integrated);
    EXPECT_EQ(a.rms.truePeakMax, b.rms.truePeakMax);
    EXPECT_EQ(a.ebu.momentary, b.ebu.momentary);
    EXPECT_EQ(a.ebu.truePeakMax, b.ebu.truePeakMax);
    EXPECT_EQ(a.dial.shortTerm, b.dial.shortTerm);
    EXPECT_EQ(a.dial.truePeakMax, b.dial.truePeakMax);
    EXPECT_TRUE(std::isfinite(a.rms.crest));
  }
}

TEST_F(PluginTest, SyncMeasuresWhilePlayingAndResetsOncePerStart) {
  plugin->EditorSets(kType, kTypeEBU);
  plugin->EditorSets(kSync, 1);
  Audio in = SineChannels(2, 24000), out(2, 24000);
  Feed(*plugin, in, out, 512, false);
  EBUReadings r = plugin->ReadMeasurement(kTypeEBU).ebu;
  EXPECT_FALSE(r.integratedValid);
  EXPECT_GT(r.truePeakMax, -144.0);  // the meters keep moving

  Feed(*plugin, in, out, 512, true);
  Feed(*plugin, in, out, 512, true);  // still playing: no second reset
  r = plugin->ReadMeasurement(kTypeEBU).ebu;
  ASSERT_TRUE(r.integratedValid);
  EXPECT_GT(r.shortTermMax, -144.0);

  Audio silence(2, 24000);
  Feed(*plugin, silence, out, 512, false);  // stopped: the readings stand still
  EXPECT_EQ(plugin->ReadMeasurement(kTypeEBU).ebu.integrated, r.integrated);

  Audio shortBlock = SineChannels(2, 512);
  Feed(*plugin, shortBlock, out, 512, true);  // a new start resets
  EXPECT_FALSE(plugin->ReadMeasurement(kTypeEBU).ebu.integratedValid);

  plugin->EditorSets(kNoResetOnSync, 1);
  Feed(*plugin, in, out, 512, true);
  Feed(*plugin, silence, out, 512, false);
  Feed(*plugin, shortBlock, out, 512, true);
  EXPECT_TRUE(plugin->ReadMeasurement(kTypeEBU).ebu.integratedValid);
}

TEST_F(PluginTest, NoProcessingWithoutConnectedInputsOrOutputs) {
  plugin->EditorSets(kWriteAutomationData, 1);
  Audio in = SineChannels(2, 4800), out = Filled(2, 4800, 3.0);
  Connect(*plugin, 0, 2);
  plugin->ProcessBuffers(in.Pointers(), out.Pointers(), 4800);
  EXPECT_EQ(out[0][100], 3.0);
  EXPECT_FALSE(plugin->PeriodEnded());
  EXPECT_EQ(plugin->ReadMeasurement(kTypeRMS).rms.peakMax, -144.0);
  Connect(*plugin, 2, 2);
  plugin->ProcessBuffers(in.Pointers(), out.Pointers(), 0);  // a zero-length block
  EXPECT_EQ(out[0][0], 3.0);

  // The 32-bit path without inputs: the host's outputs stay as they were.
  std::vector<float> in32(4800, 0.5f), out32(4800, 3.0f);
  float* in32Ptrs[] = {in32.data(), in32.data()};
  float* out32Ptrs[] = {out32.data(), out32.data()};
  Connect(*plugin, 0, 2);
  plugin->ProcessBuffers(in32Ptrs, out32Ptrs, 4800, false);
  EXPECT_EQ(out32[100], 3.0f);
}

TEST_F(PluginTest, PacingFlagsFollowFiftyAndHundredMillisecondsOfAudio) {
  plugin->EditorSets(kWriteAutomationData, 1);
  Audio in = SineChannels(2, 2399), one = SineChannels(2, 1), out(2, 2399);
  const auto meters = [&] { return plugin->TakeRequest(IdleRequest::MeterRefresh); };
  const auto readouts = [&] { return plugin->TakeRequest(IdleRequest::ReadoutRefresh); };
  const auto clear = [&] {
    plugin->OnBlockEnd();  // which writes the outputs, and asks for a read-out refresh
    meters();
    readouts();
  };
  clear();
  Feed(*plugin, in, out, 100);
  EXPECT_FALSE(plugin->PeriodEnded());
  Feed(*plugin, one, out, 1);
  EXPECT_TRUE(plugin->PeriodEnded());
  EXPECT_FALSE(meters());  // no editor: no refresh requests

  {
    iplug::MainThreadScope mainThread;
    plugin->OnEditorOpened();
  }
  clear();
  Feed(*plugin, in, out, 100);
  EXPECT_FALSE(meters());
  Feed(*plugin, one, out, 1);
  EXPECT_TRUE(meters());
  EXPECT_FALSE(readouts());
  Feed(*plugin, in, out, 7);
  EXPECT_FALSE(readouts());
  Feed(*plugin, one, out, 1);
  EXPECT_TRUE(readouts());
  plugin->OnEditorClosed();
  EXPECT_FALSE(plugin->EditorShown());
}

TEST_F(PluginTest, ReadingsDoNotDependOnHowTheHostSplitsBlocks) {
  for (int type : {kTypeRMS, kTypeEBU, kTypeDIAL}) {
    MeasurementReadings reference;
    for (int block : {4800, 1, 7, 333}) {
      TestKalvo5 split;
      split.EditorSets(kType, type);
      Audio in = SineChannels(2, 14400), out(2, 14400);
      Feed(split, in, out, block);
      const MeasurementReadings r = split.ReadMeasurement(type);
      if (block == 4800) {
        reference = r;
        continue;
      }
      EXPECT_EQ(r.rms.integrated, reference.rms.integrated) << block;
      EXPECT_EQ(r.rms.momentaryMax, reference.rms.momentaryMax) << block;
      EXPECT_EQ(r.ebu.momentary, reference.ebu.momentary) << block;
      EXPECT_EQ(r.ebu.integrated, reference.ebu.integrated) << block;
      EXPECT_EQ(r.dial.shortTerm, reference.dial.shortTerm) << block;
      EXPECT_EQ(r.dial.truePeakMax, reference.dial.truePeakMax) << block;
    }
  }
}

// Fewer channels than the layout: a mono file in every loudness layout and a
// stereo file in 5.1 read as the analyzer reads them sample by sample with
// the missing channels silent, whatever the block split.
TEST_F(PluginTest, FilesWithFewerChannelsThanTheLayoutReadAsItsMissingChannelsSilent) {
  struct Case {
    int channels;
    int config;
  };
  const Case cases[] = {{1, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 4}, {2, 4}};
  for (const Case& c : cases) {
    Audio in = SineChannels(c.channels, 24000, 0.7), out(c.channels, 24000);
    auto reference = std::make_unique<EBUAnalyzer>();
    InitEBU(*reference, kRate);
    const auto config = static_cast<LoudnessChannelConfig>(c.config);
    for (int n = 0; n < 24000; ++n) {
      double x[kAnalyzerChannels] = {};
      for (int ch = 0; ch < c.channels; ++ch) x[ch] = in[ch][static_cast<std::size_t>(n)];
      MeterEBU(*reference, config, true, x);
      MeasureEBU(*reference, config, true, x);
    }
    TestKalvo5 meter;
    meter.EditorSets(kType, kTypeEBU);
    meter.EditorSets(kEBUChannelConfig, c.config);
    Feed(meter, in, out, 1000 + 37 * c.config);
    const MeasurementReadings r = meter.ReadMeasurement(kTypeEBU);
    const auto where = ::testing::Message() << c.channels << " channels in layout " << c.config;
    EXPECT_NEAR(r.ebu.momentary, EBUMomentary(*reference), 1e-9) << where;
    EXPECT_NEAR(r.ebu.shortTerm, EBUShortTerm(*reference), 1e-9) << where;
    EXPECT_EQ(r.ebu.integrated, EBUIntegrated(*reference)) << where;
    EXPECT_NEAR(r.ebu.truePeakMax, EBUTruePeakMax(*reference), 1e-9) << where;
    for (int ch = 0; ch < kAnalyzerChannels; ++ch)
      EXPECT_NEAR(r.channels[ch].peak, reference->meters[ch].peak, 1e-12) << where << " channel " << ch;
  }
}

// The editor's one view of the measurement: the readings with the active
// analyzer's meter columns, as the audio thread published them.
TEST_F(PluginTest, ReadingsCarryTheMeterColumns) {
  plugin->EditorSets(kType, kTypeEBU);
  plugin->EditorSets(kTruePeak, 0);
  Audio in(2, 4800), out(2, 4800);  // channel 1 silent
  in[0] = Sine(1000.0, kRate, 0.5, 4800);
  in[0][100] = 1.5;  // one clipping sample
  Feed(*plugin, in, out, 256);
  const MeasurementReadings r = plugin->ReadMeasurement(kTypeEBU);
  EXPECT_DOUBLE_EQ(r.channels[0].maxHold, 1.5);
  EXPECT_GT(r.channels[0].peak, 0.4);
  EXPECT_GT(r.channels[0].clipLight, 0.0);
  EXPECT_EQ(r.channels[1].maxHold, 0.0);
  EXPECT_EQ(r.channels[1].clipLight, 0.0);
  EXPECT_EQ(r.sampleRate, kRate);
}

TEST_F(PluginTest, EveryRateAndBlockSizeRuns) {
  for (double rate : {8000.0, 44100.0, 192000.0, 384000.0}) {
    for (int block : {1, 64, 8192}) {
      plugin->SetSampleRate(rate);
      plugin->ResizeBuffers(block);
      plugin->ResetProcessing();
      for (int type : {kTypeRMS, kTypeEBU, kTypeDIAL}) {
        plugin->EditorSets(kType, type);
        Audio in = SineChannels(6, std::max(block, 2000)), out(6, std::max(block, 2000));
        Feed(*plugin, in, out, block);
        EXPECT_TRUE(std::isfinite(plugin->ReadMeasurement(type).rms.integrated));
      }
    }
  }
  EXPECT_EQ(plugin->ReadMeasurement(kTypeRMS).sampleRate, 384000.0);
}

}  // namespace
}  // namespace kalvo5::test
