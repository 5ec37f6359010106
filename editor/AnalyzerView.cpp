// Making the editor match the analyzer settings: which page shows, the RMS
// background variant, the unit texts, the scale caption and the channel
// names; and one meter column's bar, value and clip light.
#include "Kalvo5WithEditor.h"
#include "ReadoutFormat.h"
#include "controls/IVTextControlVt.h"
#include "framework/igraphics/IGraphics.h"

namespace kalvo5 {

namespace {

constexpr int kLeqMWeighting = 5;

constexpr const char* kRMSChannelLabels[kAnalyzerChannels] = {"L", "R", "3", "4", "5", "6"};
constexpr const char* kLoudnessChannelLabels[5][kAnalyzerChannels] = {{"M", "", "", "", "", ""},
                                                                      {"L", "R", "", "", "", ""},
                                                                      {"L", "R", "Ls", "Rs", "", ""},
                                                                      {"L", "R", "Ls", "Rs", "LFE", ""},
                                                                      {"L", "R", "C", "LFE", "Ls", "Rs"}};

}  // namespace

void Kalvo5WithEditor::SetPageHidden(const std::vector<int>& page, bool hidden) {
  for (int position : page)
    if (igraphics::IControl* control = GetUI()->ControlAt(position)) control->SetHidden(hidden);
}

void Kalvo5WithEditor::UpdateControlValue(int position, double value) {
  igraphics::IControl* control = GetUI()->ControlAt(position);
  if (!control || control->GetValue() == value) return;
  control->SetControlValue(value);
  control->MarkDirty(true);
}

void Kalvo5WithEditor::SetLabel(int position, const std::string& text) {
  if (auto* label = dynamic_cast<igraphics::ITextControl*>(GetUI()->ControlAt(position)))
    label->SetLabelText(text);
}

void Kalvo5WithEditor::ShowOffsetUnits(int type, const char* offsetUnit) {
  for (const ReadingRow& row : kReadingRows)
    if (row.type == type && row.offset && row.readout >= 0)
      SetLabel(mIndices.Readouts(type)[static_cast<std::size_t>(row.readout + 1)],
               offsetUnit != nullptr ? offsetUnit : row.unit);
}

void Kalvo5WithEditor::UpdateAnalyzerView() {
  igraphics::IGraphics* g = GetUI();
  if (!g || !mLayoutDone || g->ControlCount() == 0) return;
  Request(IdleRequest::Tooltips);
  const SettingsMirror& s = Settings();
  const int type = s.GetInt(kType);

  SetPageHidden(mRMSPageControls, true);
  SetPageHidden(mEBUPageControls, true);
  SetPageHidden(mDIALPageControls, true);
  const bool leqM = s.GetInt(kRMSWFilterMode) == kLeqMWeighting;
  if (type == kTypeRMS) {
    SetPageHidden(mRMSPageControls, false);
    g->ControlAt(leqM ? mIndices.mRMSBackgroundIdx : mIndices.mRMSLeqMBackgroundIdx)->SetHidden(true);
  } else if (type == kTypeEBU) {
    SetPageHidden(mEBUPageControls, false);
  } else if (type == kTypeDIAL) {
    SetPageHidden(mDIALPageControls, false);
  }

  // On the RMS page the levels the offset applies to are those the weighting
  // shapes too.
  ShowOffsetUnits(kTypeRMS, leqM ? "Leq(M)" : s.GetInt(kRMSDelta) == 1 ? "dB" : nullptr);
  ShowOffsetUnits(kTypeEBU, s.GetInt(kEBUDelta) == 1 ? "LU" : nullptr);
  ShowOffsetUnits(kTypeDIAL, s.GetInt(kDIALDelta) == 1 ? "LK" : nullptr);

  igraphics::IControl* peakCaption = g->ControlAt(mIndices.mPkScaleIdx);
  igraphics::IControl* truePeakCaption = g->ControlAt(mIndices.mTpScaleIdx);
  if (type == kTypeRMS) {
    peakCaption->SetHidden(false);
    truePeakCaption->SetHidden(true);
    for (int k = 0; k < kAnalyzerChannels; ++k) SetLabel(mIndices.mChannelLabelIdx[k], kRMSChannelLabels[k]);
  } else if (type == kTypeEBU || type == kTypeDIAL) {
    peakCaption->SetHidden(true);
    truePeakCaption->SetHidden(true);
    (s.GetInt(kTruePeak) != 0 ? truePeakCaption : peakCaption)->SetHidden(false);
    const int config = s.GetInt(type == kTypeEBU ? kEBUChannelConfig : kDIALChannelConfig);
    if (config >= 0 && config < 5)
      for (int k = 0; k < kAnalyzerChannels; ++k)
        SetLabel(mIndices.mChannelLabelIdx[k], kLoudnessChannelLabels[config][k]);
  }
}

void Kalvo5WithEditor::ShowMeterChannel(int meter, int text, int clip, double barDb, double peakDb,
                                        double clipState) {
  UpdateControlValue(meter, MeterBarValue(barDb));
  SetLabel(text, MeterValueText(peakDb));
  // An unlit light is lit and put out again, so it is redrawn on every call.
  UpdateControlValue(clip, 1.0);
  UpdateControlValue(clip, clipState > 0.5 ? 1.0 : 0.0);
}

}  // namespace kalvo5
