// Kalvo5's editor off screen: the layout, the page switch, the meter columns,
// the read-outs and the plug-in's own controls, driven as the window drives
// them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "Kalvo5EditorFixture.h"
#include "editor/ReadoutFormat.h"
#include "editor/controls/IBMeterControlVt.h"
#include "editor/controls/IVTextControlVt.h"
#include "vst2/VSTInterface.h"

namespace kalvo5 {
namespace {

class Kalvo5Editor : public test::Kalvo5EditorFixture {};

TEST_F(Kalvo5Editor, LayoutHolds125ControlsOnceAndShowsOnePage) {
  EXPECT_EQ(g->ControlCount(), 125);
  plugin->LayoutEditor(*g);
  EXPECT_EQ(g->ControlCount(), 125);
  const EditorIndices& at = plugin->Indices();
  EXPECT_EQ(at.mRMSBackgroundIdx, 0);
  EXPECT_EQ(at.mUpdateIconIdx, 9);
  EXPECT_EQ(at.mRMSReadoutIdx[0], 24);
  EXPECT_EQ(at.mEBUReadoutIdx[13], 63);
  EXPECT_EQ(at.mDIALReadoutIdx[0], 72);
  EXPECT_EQ(at.mMeterValueIdx[5], 124);

  Set(kType, kTypeEBU);
  for (int position : plugin->EBUPageControls()) EXPECT_TRUE(Visible(position)) << position;
  for (int k = 0; k < kAnalyzerChannels; ++k) {
    EXPECT_TRUE(Visible(at.mMeterIdx[k]));
    EXPECT_FALSE(Visible(at.mDialMeterIdx[k]));
  }
  EXPECT_FALSE(Visible(at.mRMSReadoutIdx[0]));
  EXPECT_FALSE(Visible(at.mDIALReadoutIdx[0]));

  // A control of one page that shares a rectangle with one of another page
  // is never visible together with it.
  const auto onPage = [&](const std::vector<int>& page, int position) {
    return std::find(page.begin(), page.end(), position) != page.end();
  };
  const std::vector<int>* pages[] = {&plugin->RMSPageControls(), &plugin->EBUPageControls(),
                                     &plugin->DIALPageControls()};
  const auto samePage = [&](int a, int b) {
    for (const std::vector<int>* page : pages)
      if (onPage(*page, a) && onPage(*page, b)) return true;
    return false;
  };
  for (int type : {kTypeRMS, kTypeEBU, kTypeDIAL}) {
    Set(kType, type);
    for (int a = 0; a < g->ControlCount(); ++a)
      for (int b = a + 1; b < g->ControlCount(); ++b) {
        const igraphics::Rect& ra = g->ControlAt(a)->GetRect();
        const igraphics::Rect& rb = g->ControlAt(b)->GetRect();
        const bool sameRect = ra.L == rb.L && ra.T == rb.T && ra.R == rb.R && ra.B == rb.B && ra.W() > 0;
        if (sameRect && !samePage(a, b) && Visible(a) && Visible(b))
          ADD_FAILURE() << "type " << type << ": " << a << " and " << b << " overlap";
      }
  }
}

TEST_F(Kalvo5Editor, UnitsCaptionsAndChannelLabelsFollowTheSettings) {
  const EditorIndices& at = plugin->Indices();
  Set(kType, kTypeRMS);
  Set(kRMSDelta, 1);
  EXPECT_EQ(Text(at.mRMSReadoutIdx[1]), "dB");
  Set(kRMSWFilterMode, 5);  // Leq(M)
  EXPECT_EQ(Text(at.mRMSReadoutIdx[5]), "Leq(M)");
  EXPECT_TRUE(Visible(at.mRMSLeqMBackgroundIdx));
  EXPECT_FALSE(Visible(at.mRMSBackgroundIdx));
  Set(kTruePeak, 1);
  EXPECT_TRUE(Visible(at.mPkScaleIdx));
  EXPECT_FALSE(Visible(at.mTpScaleIdx));
  EXPECT_EQ(Text(at.mChannelLabelIdx[2]), "3");

  Set(kType, kTypeEBU);
  EXPECT_FALSE(Visible(at.mPkScaleIdx));
  EXPECT_TRUE(Visible(at.mTpScaleIdx));
  Set(kEBUChannelConfig, 0);
  EXPECT_EQ(Text(at.mChannelLabelIdx[0]), "M");
  EXPECT_EQ(Text(at.mChannelLabelIdx[1]), "");
  Set(kEBUChannelConfig, 4);
  EXPECT_EQ(Text(at.mChannelLabelIdx[2]), "C");
  EXPECT_EQ(Text(at.mChannelLabelIdx[3]), "LFE");
  Set(kEBUDelta, 1);
  EXPECT_EQ(Text(at.mEBUReadoutIdx[9]), "LU");
  EXPECT_EQ(Text(at.mEBUReadoutIdx[11]), "dBTP");
}

TEST_F(Kalvo5Editor, EveryReadoutShowsItsReadingsUnitBesideIt) {
  const EditorIndices& at = plugin->Indices();
  for (const ReadingRow& row : kReadingRows) {
    if (row.readout < 0) continue;
    const int* entries = row.type == kTypeRMS   ? at.mRMSReadoutIdx
                         : row.type == kTypeEBU ? at.mEBUReadoutIdx
                                                : at.mDIALReadoutIdx;
    Set(kType, row.type);
    EXPECT_TRUE(Visible(entries[row.readout])) << row.name;
    EXPECT_EQ(Text(entries[row.readout + 1]), row.unit) << row.name;
  }
}

TEST(ReadoutFormat, RoundsAndFloorsAsShown) {
  EXPECT_EQ(MeterValueText(-143.96), "-inf");
  EXPECT_EQ(MeterValueText(-143.94), " -143.9");
  EXPECT_EQ(MeterValueText(3.06), " 3.1");
  EXPECT_EQ(MeterValueText(3.04), " 3.0");
  EXPECT_DOUBLE_EQ(MeterBarValue(-60.0), 0.0);
  EXPECT_DOUBLE_EQ(MeterBarValue(40.0), 1.0);
  EXPECT_DOUBLE_EQ(MeterBarValue(0.0) * 216.0, 180.0);
  EXPECT_EQ(FormatReadoutText(true, true, 1, -20.04, -23.0, -70.0), "3.0");
  EXPECT_EQ(FormatReadoutText(true, true, 1, -70.5, -23.0, -70.0), "-inf");
  EXPECT_EQ(FormatReadoutText(false, false, 1, -20.0, 0.0, -70.0), "---");
  EXPECT_EQ(FormatReadoutText(false, true, 1, -143.0, 0.0, -143.0), "-143.0");
  EXPECT_EQ(FormatReadoutText(false, true, 1, -143.1, 0.0, -143.0), "-inf");
  EXPECT_EQ(FormatReadoutText(false, true, 0, 25.0, 0.0, 0.0), "25");
}

TEST_F(Kalvo5Editor, MeterColumnShowsBarValueAndClipLight) {
  const EditorIndices& at = plugin->Indices();
  plugin->ShowMeterChannel(at.mMeterIdx[0], at.mMeterValueIdx[0], at.mClipIdx[0], 0.0, -6.04, 0.5);
  EXPECT_NEAR(g->ControlAt(at.mMeterIdx[0])->GetValue() * 216.0, 180.0, 1e-9);
  EXPECT_EQ(Text(at.mMeterValueIdx[0]), " -6.0");
  EXPECT_EQ(g->ControlAt(at.mClipIdx[0])->GetValue(), 0.0);
  plugin->ShowMeterChannel(at.mMeterIdx[0], at.mMeterValueIdx[0], at.mClipIdx[0], 0.0, -6.04, 0.51);
  EXPECT_EQ(g->ControlAt(at.mClipIdx[0])->GetValue(), 1.0);
}

TEST_F(Kalvo5Editor, ReadoutsShowNoMeasurementYetOnTheEBUPage) {
  Set(kType, kTypeEBU);
  plugin->Request(IdleRequest::ReadoutRefresh);
  plugin->OnIdle();
  const EditorIndices& at = plugin->Indices();
  EXPECT_EQ(Text(at.mEBUReadoutIdx[0]), "---");
  EXPECT_EQ(Text(at.mEBUReadoutIdx[2]), "-inf");
  EXPECT_EQ(Text(at.mEBUReadoutIdx[12]), "---");
}

// The host records and the editor shows one number: at every refresh,
// whatever block sizes the host uses and however far audio has run since the
// last automation write, each read-out shows the value last sent for its
// output parameter.
TEST_F(Kalvo5Editor, ReadoutsShowTheValuesTheHostWasSentWhateverTheBlockSizes) {
  Set(kType, kTypeEBU);
  Set(kWriteAutomationData, 1);
  vst2::AEffect& effect = plugin->GetEffect();
  effect.dispatcher(&effect, vst2::effSetBlockSize, 0, 4096, nullptr, 0.0f);
  std::vector<float> left(4096), right(4096);
  float* channels[] = {left.data(), right.data()};
  unsigned state = 12345;
  const auto random = [&state](unsigned range) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % range;
  };
  const EditorIndices& at = plugin->Indices();
  int refreshes = 0;
  for (int call = 0; call < 400; ++call) {
    const int frames = 1 + static_cast<int>(random(4096));
    const float level = 0.02f * static_cast<float>(1 + random(40));  // a new level now and then
    for (int n = 0; n < frames; ++n)
      left[static_cast<std::size_t>(n)] = right[static_cast<std::size_t>(n)] =
          level * static_cast<float>(std::sin(0.13 * n));
    plugin->hostValues.clear();
    effect.processReplacing(&effect, channels, channels, frames);
    if (plugin->HostHeard(kOutEBUSL)) ++refreshes;
    if (refreshes == 0) continue;
    plugin->Request(IdleRequest::ReadoutRefresh);
    plugin->OnIdle();
    const auto shown = [&](int param) {
      return FormatReadoutText(false, true, 1, plugin->GetParam(param)->GetValue(), 0.0, -70.0);
    };
    ASSERT_EQ(Text(at.mEBUReadoutIdx[2]), shown(kOutEBUSL)) << call;
    ASSERT_EQ(Text(at.mEBUReadoutIdx[4]), shown(kOutEBUSLMax)) << call;
    ASSERT_EQ(Text(at.mEBUReadoutIdx[6]), shown(kOutEBUML)) << call;
    ASSERT_EQ(Text(at.mEBUReadoutIdx[8]), shown(kOutEBUMLMax)) << call;
  }
  EXPECT_GT(refreshes, 100);
}

}  // namespace
}  // namespace kalvo5

namespace kalvo5 {
namespace {

// A stereo 1 kHz sine, peak `amplitude`, for `seconds` at the plug-in's rate.
void FeedSine(Kalvo5& plugin, double amplitude, double seconds) {
  const double rate = plugin.GetSampleRate();
  test::Audio in(2, static_cast<int>(rate * seconds)), out(2, in.Frames());
  for (int i = 0; i < in.Frames(); ++i)
    in[0][static_cast<std::size_t>(i)] = in[1][static_cast<std::size_t>(i)] =
        amplitude * std::sin(2.0 * M_PI * 1000.0 * i / rate);
  test::Feed(plugin, in, out, 512);
}

class Kalvo5EditorRefresh : public test::Kalvo5EditorFixture {};

TEST_F(Kalvo5EditorRefresh, ReadoutsMetersAndClipLightsFollowAKnownSignal) {
  Set(kType, kTypeEBU);
  FeedSine(*plugin, 0.1, 3.0);  // -20 dBFS peak: -20.0 LUFS
  plugin->OnTimer();
  const EditorIndices& at = plugin->Indices();
  EXPECT_EQ(Text(at.mEBUReadoutIdx[0]), "-20.0");
  EXPECT_EQ(Text(at.mEBUReadoutIdx[2]), "-20.0");
  EXPECT_NEAR(std::stod(Text(at.mMeterValueIdx[0])), -20.0, 0.15);  // the held peak
  EXPECT_EQ(Text(at.mMeterValueIdx[2]), "-inf");
  EXPECT_NEAR(g->ControlAt(at.mMeterIdx[0])->GetValue(), 40.0 / 72.0, 2.0 / 72.0);
  EXPECT_EQ(g->ControlAt(at.mClipIdx[0])->GetValue(), 0.0);

  // The offset shows the difference to the reference level.
  Set(kEBURefLevel, -23.0);
  Set(kEBUDelta, 1);
  FeedSine(*plugin, 0.1, 0.2);
  plugin->OnTimer();
  EXPECT_EQ(Text(at.mEBUReadoutIdx[0]), "3.0");
  EXPECT_EQ(Text(at.mEBUReadoutIdx[1]), "LU");

  FeedSine(*plugin, 1.5, 0.2);
  plugin->OnTimer();
  EXPECT_EQ(g->ControlAt(at.mClipIdx[0])->GetValue(), 1.0);

  // Reopened after the audio stopped, the editor shows the readings at once.
  plugin->GetEditorSession().Close();
  ASSERT_TRUE(plugin->GetEditorSession().OpenOffscreen());
  g = plugin->GetUI();
  plugin->OnTimer();
  EXPECT_NE(Text(plugin->Indices().mEBUReadoutIdx[0]), "-144.0");
  EXPECT_NE(Text(plugin->Indices().mMeterValueIdx[0]), "-144.0");
}

// At a rate the speech detector does not take, the dialogue-gated read-outs
// say so ("n/a", and why on hovering), and say nothing once it runs again.
TEST_F(Kalvo5EditorRefresh, DialogueReadoutsSayWhenNoSpeechCanBeDetected) {
  const EditorIndices& at = plugin->Indices();
  Set(kType, kTypeDIAL);
  for (const double rate : {44101.0, 44100.0}) {
    plugin->SetSampleRate(rate);
    plugin->ResetProcessing();
    FeedSine(*plugin, 0.1, 1.0);
    plugin->OnTimer();
    for (const int entry : {0, 6, 8}) {
      const bool refused = Text(at.mDIALReadoutIdx[entry]) == kUnavailableReadoutText;
      EXPECT_EQ(refused, rate == 44101.0) << rate << " Hz, entry " << entry;
      EXPECT_EQ(g->ControlAt(at.mDIALReadoutIdx[entry])->GetTooltip().empty(), !refused);
    }
    EXPECT_EQ(Text(at.mDIALReadoutIdx[4]), "-30.0") << rate << " Hz";  // a tenth of the 10 s window
  }
}

}  // namespace
}  // namespace kalvo5
