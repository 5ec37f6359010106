// The editor's layout: every control in one pass, in draw order, with the
// positions later code needs recorded as it goes.
#include <memory>

#include "Kalvo5WithEditor.h"
#include "controls/IBBitmapControlVt.h"
#include "controls/IBMeterControlVt.h"
#include "controls/IBPopupMenuVt.h"
#include "controls/IBPushControlVt.h"
#include "controls/IBSwitchControlVt.h"
#include "controls/IVParameterControlVt.h"
#include "controls/IVTextControlVt.h"
#include "framework/igraphics/IGraphics.h"

namespace kalvo5 {

namespace {

using igraphics::IGraphics;
using igraphics::Rect;

constexpr double kValueGearing = 2.75;

// Attaches the control and answers its list position.
int Attach(IGraphics& g, std::unique_ptr<igraphics::IControl> control, const char* tooltip = nullptr) {
  if (tooltip) control->SetTooltipText(tooltip);
  g.AddControl(std::move(control));
  return g.ControlCount() - 1;
}

int AttachBitmap(IGraphics& g, int x, int y, const char* name, int frames = 1) {
  return Attach(g, std::make_unique<IBBitmapControlVt>(x, y, g.LoadBitmapResource(name, frames)));
}

// A value field and the parameter's value control over it.
void AttachValueField(IGraphics& g, std::vector<int>& page, int x, int param,
                      const igraphics::TextStyle& style, const char* tooltip) {
  page.push_back(AttachBitmap(g, x, 69, "value.png"));
  page.push_back(Attach(g,
                        std::make_unique<IVParameterControlVt>(Rect{float(x), 69, float(x + 80), 87}, param,
                                                               style, kValueGearing),
                        tooltip));
}

int AttachPopup(IGraphics& g, int x, const char* bitmap, int frames, int param, const char* tooltip) {
  return Attach(g, std::make_unique<IBPopupMenuVt>(x, 69, param, g.LoadBitmapResource(bitmap, frames)),
                tooltip);
}

int AttachSwitch(IGraphics& g, int x, int y, int param, const char* tooltip) {
  return Attach(
      g, std::make_unique<IBSwitchControlVt>(float(x), float(y), g.LoadBitmapResource("offon.png", 2), param),
      tooltip);
}

int AttachPush(IGraphics& g, int x, int y, int param, const char* bitmap, const char* tooltip) {
  return Attach(g, std::make_unique<IBPushControlVt>(x, y, param, g.LoadBitmapResource(bitmap, 2)), tooltip);
}

int AttachText(IGraphics& g, const Rect& r, const igraphics::TextStyle& style, const char* text,
               const char* tooltip = nullptr) {
  return Attach(g, std::make_unique<IVTextControlVt>(r, style, text), tooltip);
}

// One read-out of a page: the number or its unit text, or a Match button.
struct ReadoutPiece {
  enum Kind { Number, SmallNumber, Unit, Match } kind;
  Rect rect;  // a Match button uses L and T only
  const char* text;
  int matchSlot;  // which of the page's Match parameters
};

// The read-outs of the loudness pages (EBU and DIAL share the geometry).
// Unit texts are filled per page.
const ReadoutPiece kLoudnessPieces[] = {
    {ReadoutPiece::Number, {25, 142, 125, 177}, "-144.0", -1},
    {ReadoutPiece::Match, {19, 185, 0, 0}, "", 0},
    {ReadoutPiece::Unit, {99, 184, 131, 197}, "", -1},
    {ReadoutPiece::Number, {145, 142, 245, 177}, "-144.0", -1},
    {ReadoutPiece::Unit, {219, 184, 251, 197}, "", -1},
    {ReadoutPiece::Number, {265, 142, 365, 177}, "-144.0", -1},
    {ReadoutPiece::Match, {259, 185, 0, 0}, "", 1},
    {ReadoutPiece::Unit, {339, 184, 371, 197}, "", -1},
    {ReadoutPiece::SmallNumber, {25, 250, 94, 285}, "-144.0", -1},
    {ReadoutPiece::Unit, {68, 292, 100, 305}, "", -1},
    {ReadoutPiece::SmallNumber, {115, 250, 184, 285}, "-144.0", -1},
    {ReadoutPiece::Match, {109, 293, 0, 0}, "", 2},
    {ReadoutPiece::Unit, {159, 292, 191, 305}, "", -1},
    {ReadoutPiece::SmallNumber, {205, 250, 274, 285}, "-144.0", -1},
    {ReadoutPiece::Match, {199, 293, 0, 0}, "", 3},
    {ReadoutPiece::Unit, {249, 292, 281, 305}, "", -1},
    {ReadoutPiece::SmallNumber, {295, 250, 364, 285}, "-144.0", -1},
    {ReadoutPiece::Unit, {339, 292, 371, 305}, "", -1},
};

}  // namespace

void Kalvo5WithEditor::LayoutEditor(IGraphics& g) {
  if (g.ControlCount() > 0) return;
  mRMSPageControls.clear();
  mEBUPageControls.clear();
  mDIALPageControls.clear();

  g.LoadFontResource("Roboto-Regular", "Roboto-Regular.ttf");
  g.LoadFontResource("Verdana Normal", "verdana.ttf");
  g.LoadFontResource("Verdana Bold", "verdanab.ttf");
  g.LoadFontResource("Repet Normal", "Repetition-Scrolling.ttf");
  g.AddTextEntry(igraphics::TextStyle{});
  g.AddPopupMenuHost(igraphics::TextStyle{}, Rect{});
  g.EnableMultiTouch(false);
  g.EnableMouseOver(true);
  AttachCornerResizer(g);
  const iplug::IParam& scale = *GetParam(kGUIScale);
  g.SetScaleLimits(static_cast<float>(std::min(scale.GetMin(), scale.GetMax())),
                   static_cast<float>(std::max(scale.GetMin(), scale.GetMax())));

  AttachBackgrounds(g);
  AttachTitleBar(g);
  AttachPopup(g, 13, "pluginmode.png", 3, kType, "Measurement type: RMS/EBU/DIAL");
  AttachSwitch(g, 53, 69, kSync, "Sync measurement with DAW start/stop");
  AttachSwitch(g, 93, 69, kWriteAutomationData, "Enable automation data writing");
  AttachPush(g, 312, 328, kReset, "reset.png", "Reset measurement");
  AttachRMSPage(g);
  AttachEBUPage(g);
  AttachDIALPage(g);
  AttachMeterColumns(g);

  mLayoutDone = true;
  UpdateAnalyzerView();
}

void Kalvo5WithEditor::AttachBackgrounds(IGraphics& g) {
  mIndices.mRMSBackgroundIdx = AttachBitmap(g, 0, 0, "background0.png");
  mIndices.mRMSLeqMBackgroundIdx = AttachBitmap(g, 0, 0, "background3.png");
  mRMSPageControls.push_back(mIndices.mRMSBackgroundIdx);
  mRMSPageControls.push_back(mIndices.mRMSLeqMBackgroundIdx);
  mEBUPageControls.push_back(AttachBitmap(g, 0, 0, "background1.png"));
  mDIALPageControls.push_back(AttachBitmap(g, 0, 0, "background2.png"));
  mIndices.mPkScaleIdx = AttachBitmap(g, 592, 93, "meterlabelpk.png");
  mIndices.mTpScaleIdx = AttachBitmap(g, 592, 93, "meterlabeltp.png");
}

void Kalvo5WithEditor::AttachSettingsRow(IGraphics& g, std::vector<int>& page, const char* channelBitmap,
                                         int channelParam, int gainParam, int refParam, int offsetParam) {
  page.push_back(AttachPopup(g, 133, channelBitmap, 5, channelParam, "Channel configuration"));
  AttachValueField(g, page, 185, gainParam, mStyles.ParamValueText, "Pre gain");
  AttachValueField(g, page, 269, refParam, mStyles.ParamValueText, "Reference level");
  page.push_back(AttachSwitch(g, 357, 69, offsetParam, "Enable reference level as offset"));
}

void Kalvo5WithEditor::AttachRMSPage(IGraphics& g) {
  std::vector<int>& page = mRMSPageControls;
  AttachSettingsRow(g, page, "rmschmode.png", kRMSChannelConfig, kRMSGain, kRMSRefLevel, kRMSDelta);
  page.push_back(AttachPopup(g, 397, "rmsmode.png", 3, kRMSMode, "Measurement method"));
  AttachValueField(g, page, 449, kRMSWindow, mStyles.ParamValueText, "Measurement window");
  page.push_back(AttachPopup(g, 533, "rmsfilter.png", 7, kRMSWFilterMode, "Pre filter"));

  int* entry = mIndices.mRMSReadoutIdx;
  const auto number = [&](const Rect& r, const char* text, const char* tooltip) {
    *entry++ = AttachText(g, r, mStyles.ReadoutText, text, tooltip);
    page.push_back(entry[-1]);
  };
  const auto unit = [&](const Rect& r, const char* text) {
    *entry++ = AttachText(g, r, mStyles.UnitText, text);
    page.push_back(entry[-1]);
  };
  const auto match = [&](int x, int y, int param, const char* tooltip) {
    page.push_back(AttachPush(g, x, y, param, "match.png", tooltip));
  };
  number({25, 142, 125, 177}, "-144.0", "Integrated Loudness");
  match(19, 185, kMatchRMSI, "Match Loudness");
  unit({89, 184, 131, 197}, "dBFS");
  number({145, 142, 245, 177}, "-144.0", "Momentary Loudness");
  unit({209, 184, 251, 197}, "dBFS");
  number({265, 142, 365, 177}, "-144.0", "Momentary Loudness max");
  match(259, 185, kMatchRMSMLMax, "Match loudness");
  unit({329, 184, 371, 197}, "dBFS");
  number({25, 250, 125, 285}, "-144.0", "Peak Max");
  match(19, 293, kMatchRMSPeakMax, "Match loudness");
  unit({99, 292, 131, 305}, "dBFS");
  number({145, 250, 245, 285}, "-144.0", "True Peak Max");
  match(139, 293, kMatchRMSTPMax, "Match loudness");
  unit({219, 292, 251, 305}, "dBTP");
  number({265, 250, 365, 285}, "0.0", "Crest");
  unit({339, 292, 371, 305}, "dB");
}

void Kalvo5WithEditor::AttachLoudnessReadouts(IGraphics& g, std::vector<int>& page, int (&indices)[14],
                                              bool dial, const int (&matches)[4]) {
  static constexpr const char* kMatchTooltips[2][4] = {
      {"Match loudness", "Match loudness STL Max", "Match loudness ML Max", "Match loudness"},
      {"Match loudness", "Match loudness", "", "Match loudness"}};
  static constexpr const char* kUnits[2][7] = {{"LUFS", "LUFS", "LUFS", "LUFS", "LUFS", "dBTP", "LU"},
                                               {"LKFS", "LKFS", "LKFS", "LK", "%", "dBTP", "LK"}};
  const igraphics::TextStyle& big = dial ? mStyles.DialReadoutText : mStyles.ReadoutText;
  const igraphics::TextStyle& small = dial ? mStyles.DialReadoutSmallText : mStyles.ReadoutSmallText;
  const igraphics::TextStyle& unit = dial ? mStyles.DialUnitText : mStyles.UnitText;
  int entry = 0;
  for (const ReadoutPiece& piece : kLoudnessPieces) {
    int position = -1;
    switch (piece.kind) {
      case ReadoutPiece::Match:
        if (matches[piece.matchSlot] < 0) continue;
        position = AttachPush(g, static_cast<int>(piece.rect.L), static_cast<int>(piece.rect.T),
                              matches[piece.matchSlot], "match.png", kMatchTooltips[dial][piece.matchSlot]);
        break;
      case ReadoutPiece::Unit:
        position = indices[entry] = AttachText(g, piece.rect, unit, kUnits[dial][entry / 2]);
        ++entry;
        break;
      default:
        position = indices[entry] =
            AttachText(g, piece.rect, piece.kind == ReadoutPiece::Number ? big : small, piece.text);
        ++entry;
        break;
    }
    page.push_back(position);
  }
}

void Kalvo5WithEditor::AttachEBUPage(IGraphics& g) {
  AttachSettingsRow(g, mEBUPageControls, "ebuchmode.png", kEBUChannelConfig, kEBUGain, kEBURefLevel,
                    kEBUDelta);
  AttachLoudnessReadouts(g, mEBUPageControls, mIndices.mEBUReadoutIdx, false,
                         {kMatchEBUI, kMatchEBUSLMax, kMatchEBUMLMax, kMatchEBUTPMax});
}

void Kalvo5WithEditor::AttachDIALPage(IGraphics& g) {
  std::vector<int>& page = mDIALPageControls;
  AttachSettingsRow(g, page, "dialchmode.png", kDIALChannelConfig, kDIALGain, kDIALRefLevel, kDIALDelta);
  AttachValueField(g, page, 449, kDIALWindow, mStyles.ParamValueText, "SL measurement window");
  AttachLoudnessReadouts(g, page, mIndices.mDIALReadoutIdx, true,
                         {kMatchDIALI, kMatchDIALSLMax, -1, kMatchDIALTPMax});
}

void Kalvo5WithEditor::AttachMeterColumns(IGraphics& g) {
  const igraphics::Bitmap clip = g.LoadBitmapResource("clip.png", 2);
  const igraphics::Bitmap dialClip = g.LoadBitmapResource("clip1.png", 2);
  const igraphics::Bitmap meter = g.LoadBitmapResource("meter0.png");
  const igraphics::Bitmap dialMeter = g.LoadBitmapResource("meter1.png");
  for (int k = 0; k < kAnalyzerChannels; ++k) {
    const int x0 = 408 + 32 * k;
    const float x = static_cast<float>(x0);
    mIndices.mChannelLabelIdx[k] = AttachText(g, {x - 2, 93, x + 18, 105}, mStyles.ChannelLabelText, "LFE");
    mIndices.mClipIdx[k] = Attach(g, std::make_unique<IBBitmapControlVt>(x0, 107, clip));
    mIndices.mDialClipIdx[k] = Attach(g, std::make_unique<IBBitmapControlVt>(x0, 107, dialClip));
    mIndices.mMeterIdx[k] = Attach(g, std::make_unique<IBMeterControlVt>(x0, 112, meter));
    mIndices.mDialMeterIdx[k] = Attach(g, std::make_unique<IBMeterControlVt>(x0, 112, dialMeter));
    mIndices.mMeterValueIdx[k] = AttachText(g, {x - 8, 333, x + 22, 345}, mStyles.MeterValueText, "-144.0");
    for (std::vector<int>* page : {&mRMSPageControls, &mEBUPageControls}) {
      page->push_back(mIndices.mClipIdx[k]);
      page->push_back(mIndices.mMeterIdx[k]);
    }
    mDIALPageControls.push_back(mIndices.mDialClipIdx[k]);
    mDIALPageControls.push_back(mIndices.mDialMeterIdx[k]);
  }
}

}  // namespace kalvo5
