#include <gtest/gtest.h>

#include <cmath>

#include "Kalvo5TestSupport.h"
#include "engine/LevelScale.h"
#include "support/Signals.h"

namespace kalvo5::test {
namespace {

constexpr double kRate = 48000.0;

// Stereo 1 kHz at amplitude 0.1 reads about -20.5 LUFS.
void FeedSine(Kalvo5& plugin, double seconds, double amplitude = 0.1) {
  const auto frames = static_cast<std::size_t>(seconds * kRate);
  Audio in(2, static_cast<int>(frames)), out(2, static_cast<int>(frames));
  in[0] = in[1] = Sine(1000.0, kRate, amplitude, frames);
  Feed(plugin, in, out, 512);
}

TEST_F(PluginTest, GainAutomationUpdatesTheMirrorWithoutResetButTypeChangesReset) {
  FeedSine(*plugin, 0.5);
  const double before = plugin->ReadMeasurement(kTypeRMS).rms.integrated;
  ASSERT_GT(before, -144.0);
  plugin->HostSets(kRMSGain, 6.0);
  EXPECT_DOUBLE_EQ(plugin->Settings().Get(kRMSGain), 6.0);
  EXPECT_EQ(plugin->ReadMeasurement(kTypeRMS).rms.integrated, before);

  plugin->TakeRequest(IdleRequest::AnalyzerView);
  plugin->HostSets(kType, kTypeEBU);
  EXPECT_EQ(plugin->Settings().GetInt(kType), kTypeEBU);
  EXPECT_EQ(plugin->ReadMeasurement(kTypeRMS).rms.integrated, -144.0);
  EXPECT_TRUE(plugin->TakeRequest(IdleRequest::AnalyzerView));
}

TEST_F(PluginTest, AnUnchangedWindowOnlyRefreshesTheDisplay) {
  FeedSine(*plugin, 0.5);
  const double before = plugin->ReadMeasurement(kTypeRMS).rms.integrated;
  plugin->TakeRequest(IdleRequest::MeterRefresh);
  plugin->TakeRequest(IdleRequest::ReadoutRefresh);
  plugin->HostSets(kRMSWindow, 600.0);
  EXPECT_EQ(plugin->ReadMeasurement(kTypeRMS).rms.integrated, before);
  EXPECT_TRUE(plugin->TakeRequest(IdleRequest::MeterRefresh));
  EXPECT_TRUE(plugin->TakeRequest(IdleRequest::ReadoutRefresh));
  plugin->HostSets(kRMSWindow, 300.0);
  EXPECT_EQ(plugin->ReadMeasurement(kTypeRMS).rms.integrated, -144.0);
  EXPECT_EQ(plugin->Settings().Get(kRMSWindow), 300.0);
}

TEST_F(PluginTest, HostChangesOfNonAutomatableParametersAreIgnored) {
  plugin->HostSets(kGUIScale, 2.0);
  plugin->HostSets(kToggleTooltips, 0.0);
  EXPECT_EQ(plugin->Settings().Get(kGUIScale), 1.0);
  EXPECT_EQ(plugin->Settings().GetInt(kToggleTooltips), 1);
  EXPECT_FALSE(plugin->TakeRequest(IdleRequest::EditorResize));
  EXPECT_FALSE(plugin->TakeRequest(IdleRequest::Tooltips));

  plugin->EditorSets(kGUIScale, 2.0);
  plugin->EditorSets(kToggleTooltips, 0.0);
  EXPECT_EQ(plugin->Settings().Get(kGUIScale), 2.0);
  EXPECT_EQ(plugin->Settings().GetInt(kToggleTooltips), 0);
  EXPECT_TRUE(plugin->TakeRequest(IdleRequest::EditorResize));
  EXPECT_TRUE(plugin->TakeRequest(IdleRequest::Tooltips));
}

TEST_F(PluginTest, EditorScaleCommands) {
  const auto scale = [&] { return plugin->GetParam(kGUIScale)->GetValue(); };
  plugin->EditorSets(kGUIScale, 1.005);
  plugin->Command(kCmdToggleEditorScale);
  EXPECT_EQ(scale(), 1.5);
  EXPECT_EQ(plugin->Settings().Get(kGUIScale), 1.5);
  EXPECT_GE(plugin->CountCalls(HostNote::Automate, kGUIScale), 1);
  plugin->EditorSets(kGUIScale, 1.02);
  plugin->Command(kCmdToggleEditorScale);
  EXPECT_EQ(scale(), 1.0);
  plugin->Command(kCmdMinEditorScale);
  EXPECT_EQ(scale(), 0.5);

  const std::pair<int, double> entries[] = {{3, 1.25}, {10, 3.0}, {0, 0.5}, {9, 2.75}, {42, 1.0}};
  for (const auto& [entry, expected] : entries) {
    plugin->Command(kCmdMenuEditorScale, {}, entry);
    EXPECT_DOUBLE_EQ(scale(), expected) << entry;
  }
  plugin->EditorSets(kGUIScale, 2.0);
  plugin->Command(kCmdMenuEditorScale);  // no entry chosen: nothing
  EXPECT_EQ(scale(), 2.0);

  plugin->drawScale = 1.75;
  plugin->Command(kCmdTakeEditorScale);  // needs an editor
  EXPECT_EQ(scale(), 2.0);
  plugin->editorExists = true;
  plugin->TakeRequest(IdleRequest::EditorResize);
  plugin->Command(kCmdTakeEditorScale);
  EXPECT_EQ(scale(), 1.75);
  EXPECT_FALSE(plugin->TakeRequest(IdleRequest::EditorResize));  // the window has that scale already
}

TEST_F(PluginTest, AboutAndUpdateRequestsNeedAnEditor) {
  plugin->Command(kCmdAbout);
  plugin->Command(kCmdCheckUpdate);
  EXPECT_FALSE(plugin->TakeRequest(IdleRequest::About));
  EXPECT_FALSE(plugin->TakeRequest(IdleRequest::UpdateCheck));
  plugin->editorExists = true;
  plugin->Command(kCmdAbout);
  plugin->Command(kCmdCheckUpdate);
  EXPECT_TRUE(plugin->TakeRequest(IdleRequest::About));
  EXPECT_TRUE(plugin->TakeRequest(IdleRequest::UpdateCheck));
}

TEST_F(PluginTest, MatchEbuIntegratedMovesTheGainToTheReferenceOnce) {
  plugin->EditorSets(kType, kTypeEBU);
  FeedSine(*plugin, 1.5);
  const EBUReadings before = plugin->ReadMeasurement(kTypeEBU).ebu;
  ASSERT_TRUE(before.integratedValid);
  // BS.1770's value: the partial blocks of the start no longer count.
  EXPECT_NEAR(before.integrated, -20.0, 0.05);

  plugin->EditorSets(kMatchEBUI, 1);
  const double gain = plugin->GetParam(kEBUGain)->GetValue();
  EXPECT_NEAR(gain, -23.0 - before.integrated, 1e-9);
  EXPECT_EQ(plugin->Settings().Get(kEBUGain), gain);
  EXPECT_EQ(plugin->CountCalls(HostNote::Automate, kEBUGain), 1);
  EXPECT_FALSE(plugin->ReadMeasurement(kTypeEBU).ebu.integratedValid);  // the meters restarted

  // Pressed again before a new gated block: nothing.
  plugin->EditorSets(kMatchEBUI, 0);
  plugin->EditorSets(kMatchEBUI, 1);
  EXPECT_EQ(plugin->GetParam(kEBUGain)->GetValue(), gain);

  // With the new gain the signal reads the reference.
  FeedSine(*plugin, 1.5);
  EXPECT_NEAR(plugin->ReadMeasurement(kTypeEBU).ebu.integrated, -23.0, 0.11);
}

TEST_F(PluginTest, PeakMatchesSkipSilenceAndMeetTheReferenceOnSignal) {
  for (int trigger : {kMatchRMSPeakMax, kMatchRMSTPMax, kMatchRMSI, kMatchRMSMLMax}) {
    plugin->EditorSets(trigger, 1);
    plugin->EditorSets(trigger, 0);
  }
  plugin->EditorSets(kType, kTypeEBU);
  plugin->EditorSets(kMatchEBUTPMax, 1);
  EXPECT_EQ(plugin->GetParam(kRMSGain)->GetValue(), 0.0);
  EXPECT_EQ(plugin->GetParam(kEBUGain)->GetValue(), 0.0);

  plugin->EditorSets(kType, kTypeRMS);
  FeedSine(*plugin, 0.5, 0.5);
  const double peak = plugin->ReadMeasurement(kTypeRMS).rms.peakMax;
  EXPECT_EQ(peak, -6.0);
  plugin->EditorSets(kMatchRMSPeakMax, 1);
  EXPECT_DOUBLE_EQ(plugin->GetParam(kRMSGain)->GetValue(), -12.0);

  // The gain is clamped to its range and the mirror follows the parameter.
  plugin->EditorSets(kRMSRefLevel, 100.0);
  FeedSine(*plugin, 0.5, 0.5);
  plugin->EditorSets(kMatchRMSPeakMax, 0);
  plugin->EditorSets(kMatchRMSPeakMax, 1);
  EXPECT_EQ(plugin->GetParam(kRMSGain)->GetValue(), 60.0);
  EXPECT_EQ(plugin->Settings().Get(kRMSGain), 60.0);
}

TEST_F(PluginTest, ATriggerRestoredAtOneFiresOnce) {
  FeedSine(*plugin, 0.3);
  plugin->GetParam(kReset)->SetValue(1);
  plugin->NotifyAllParams(iplug::ParamSource::PresetRecall);
  EXPECT_EQ(plugin->ReadMeasurement(kTypeRMS).rms.integrated, -144.0);
  FeedSine(*plugin, 0.3);
  plugin->NotifyAllParams(iplug::ParamSource::PresetRecall);
  EXPECT_GT(plugin->ReadMeasurement(kTypeRMS).rms.integrated, -144.0);
}

// The outputs go to the host at the end of the process call that completed a
// 50 ms period (OnBlockEnd), not from the idle tick.
TEST_F(PluginTest, OutputsAreWrittenOnlyWhenOnAndOnlyForTheCurrentType) {
  FeedSine(*plugin, 0.2);
  plugin->OnBlockEnd();
  plugin->Tick();
  EXPECT_FALSE(plugin->PeriodEnded());
  EXPECT_EQ(plugin->CountCalls(HostNote::Automate), 0);

  plugin->EditorSets(kWriteAutomationData, 1);
  plugin->calls.clear();
  FeedSine(*plugin, 0.2);
  EXPECT_TRUE(plugin->PeriodEnded());
  plugin->Tick();
  EXPECT_EQ(plugin->CountCalls(HostNote::Automate), 0);
  plugin->OnBlockEnd();
  EXPECT_FALSE(plugin->PeriodEnded());
  for (int i = kOutRMSIL; i <= kOutRMSCrest; ++i)
    EXPECT_EQ(plugin->CountCalls(HostNote::Automate, i), 1) << i;
  EXPECT_EQ(plugin->CountCalls(HostNote::Automate), 6);
  plugin->OnBlockEnd();  // one batch per completed period
  EXPECT_EQ(plugin->CountCalls(HostNote::Automate), 6);
  const RMSReadings rms = plugin->ReadMeasurement(kTypeRMS).rms;
  // Stored as written, so the display shows the written value.
  EXPECT_EQ(plugin->GetParam(kOutRMSML)->GetValue(), rms.momentary);
  EXPECT_EQ(plugin->GetParam(kOutRMSPeakMax)->GetValue(), rms.peakMax);
  plugin->WriteOutputParam(kOutRMSCrest, 0.0);
  EXPECT_STREQ(plugin->GetParam(kOutRMSCrest)->FormatDisplay(0.0, false, true).c_str(), "0.0");
  EXPECT_EQ(plugin->GetParam(kOutRMSCrest)->GetValue(), 0.0);

  plugin->EditorSets(kType, kTypeEBU);
  FeedSine(*plugin, 0.5);
  plugin->calls.clear();
  plugin->OnBlockEnd();
  EXPECT_EQ(plugin->CountCalls(HostNote::Automate), 7);
  EXPECT_EQ(plugin->GetParam(kOutRMSML)->GetValue(), rms.momentary);  // kept from before
  const double momentary = plugin->GetParam(kOutEBUML)->GetValue();
  EXPECT_GT(momentary, -30.0);
  EXPECT_NEAR(momentary * 10.0, std::round(momentary * 10.0), 1e-9);
  EXPECT_NEAR(momentary, RoundToTenth(plugin->ReadMeasurement(kTypeEBU).ebu.momentary), 1e-9);
  EXPECT_EQ(plugin->CountCalls(HostNote::BeginGesture), 0);

  // Stopping sends the final values once more, once.
  plugin->calls.clear();
  plugin->OnProcessingStopped();
  plugin->OnProcessingStopped();
  EXPECT_EQ(plugin->CountCalls(HostNote::Automate), 7);
}

TEST_F(PluginTest, GesturesBracketAutomationForTheHostsThatWantThem) {
  plugin->SetHost("Logic Pro X", 0);
  plugin->EditorSets(kWriteAutomationData, 1);
  FeedSine(*plugin, 0.1);
  plugin->calls.clear();
  plugin->OnBlockEnd();
  ASSERT_EQ(plugin->calls.size(), 18u);
  EXPECT_EQ(plugin->calls[0].kind, HostNote::BeginGesture);
  EXPECT_EQ(plugin->calls[1].kind, HostNote::Automate);
  EXPECT_EQ(plugin->calls[2].kind, HostNote::EndGesture);
  EXPECT_EQ(plugin->calls[2].index, kOutRMSIL);
}

TEST_F(PluginTest, AChangedLatencyIsReportedAgainWhereTheHostNeedsIt) {
  plugin->StoreLatency(64);
  plugin->HostSets(kRMSGain, 1.0);
  plugin->Tick();
  EXPECT_EQ(plugin->CountCalls(HostNote::Latency), 0);  // host not identified yet

  plugin->SetHost("Ableton Live 11", 0);
  plugin->HostSets(kRMSGain, 2.0);
  ASSERT_EQ(plugin->CountCalls(HostNote::Latency), 1);
  EXPECT_EQ(plugin->GetLatency(), 0);

  plugin->calls.clear();
  plugin->SetHost("REAPER", 0);
  plugin->StoreLatency(64);
  plugin->HostSets(kRMSGain, 3.0);
  EXPECT_EQ(plugin->CountCalls(HostNote::Latency), 0);
  plugin->Tick();
  EXPECT_EQ(plugin->CountCalls(HostNote::Latency), 1);

  // Pro Tools gets it from the audio thread, not from the idle handler.
  plugin->calls.clear();
  plugin->SetHost("ProTools", 0);
  plugin->StoreLatency(64);
  plugin->Tick();
  EXPECT_EQ(plugin->CountCalls(HostNote::Latency), 0);
  FeedSine(*plugin, 0.01);
  EXPECT_EQ(plugin->CountCalls(HostNote::Latency), 1);
}

}  // namespace
}  // namespace kalvo5::test
