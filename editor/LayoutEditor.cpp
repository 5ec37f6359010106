// The editor's layout: every control in one pass, in draw order, with the
// positions later code needs recorded as it goes.
#include <memory>
#include <span>

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

// One piece of a page's read-outs, in attach order: the number of a reading
// or its unit text, each the page's next entry in the reading table, or a
// Match button.
struct ReadoutPiece {
  enum Kind { Number, SmallNumber, Unit, Match } kind;
  float l, t, r, b;               // a Match button uses l and t only
  const char* text = "";          // a number's text before the first reading
  const char* tooltip = nullptr;  // a number's
  int matchSlot = -1;             // which of the page's Match buttons
};

// A page's Match button: its trigger (-1: none in this slot) and tooltip.
struct MatchButton {
  int trigger;
  const char* tooltip;
};

// Whether the pieces lay out every read-out entry of the page of `type` once,
// numbers at the even entries and their units at the odd ones.
constexpr bool FillsReadouts(std::span<const ReadoutPiece> pieces, int type) {
  int entry = 0;
  for (const ReadoutPiece& piece : pieces) {
    if (piece.kind == ReadoutPiece::Match) continue;
    if ((piece.kind == ReadoutPiece::Unit) != (entry % 2 == 1)) return false;
    ++entry;
  }
  return entry == ReadoutEntryCount(type);
}

constexpr ReadoutPiece kRMSPieces[] = {
    {ReadoutPiece::Number, 25, 142, 125, 177, "-144.0", "Integrated Loudness"},
    {ReadoutPiece::Match, 19, 185, 0, 0, "", nullptr, 0},
    {ReadoutPiece::Unit, 89, 184, 131, 197},
    {ReadoutPiece::Number, 145, 142, 245, 177, "-144.0", "Momentary Loudness"},
    {ReadoutPiece::Unit, 209, 184, 251, 197},
    {ReadoutPiece::Number, 265, 142, 365, 177, "-144.0", "Momentary Loudness max"},
    {ReadoutPiece::Match, 259, 185, 0, 0, "", nullptr, 1},
    {ReadoutPiece::Unit, 329, 184, 371, 197},
    {ReadoutPiece::Number, 25, 250, 125, 285, "-144.0", "Peak Max"},
    {ReadoutPiece::Match, 19, 293, 0, 0, "", nullptr, 2},
    {ReadoutPiece::Unit, 99, 292, 131, 305},
    {ReadoutPiece::Number, 145, 250, 245, 285, "-144.0", "True Peak Max"},
    {ReadoutPiece::Match, 139, 293, 0, 0, "", nullptr, 3},
    {ReadoutPiece::Unit, 219, 292, 251, 305},
    {ReadoutPiece::Number, 265, 250, 365, 285, "0.0", "Crest"},
    {ReadoutPiece::Unit, 339, 292, 371, 305},
};
static_assert(FillsReadouts(kRMSPieces, kTypeRMS));

// The read-outs of the loudness pages (EBU and DIAL share the geometry).
constexpr ReadoutPiece kLoudnessPieces[] = {
    {ReadoutPiece::Number, 25, 142, 125, 177, "-144.0"},
    {ReadoutPiece::Match, 19, 185, 0, 0, "", nullptr, 0},
    {ReadoutPiece::Unit, 99, 184, 131, 197},
    {ReadoutPiece::Number, 145, 142, 245, 177, "-144.0"},
    {ReadoutPiece::Unit, 219, 184, 251, 197},
    {ReadoutPiece::Number, 265, 142, 365, 177, "-144.0"},
    {ReadoutPiece::Match, 259, 185, 0, 0, "", nullptr, 1},
    {ReadoutPiece::Unit, 339, 184, 371, 197},
    {ReadoutPiece::SmallNumber, 25, 250, 94, 285, "-144.0"},
    {ReadoutPiece::Unit, 68, 292, 100, 305},
    {ReadoutPiece::SmallNumber, 115, 250, 184, 285, "-144.0"},
    {ReadoutPiece::Match, 109, 293, 0, 0, "", nullptr, 2},
    {ReadoutPiece::Unit, 159, 292, 191, 305},
    {ReadoutPiece::SmallNumber, 205, 250, 274, 285, "-144.0"},
    {ReadoutPiece::Match, 199, 293, 0, 0, "", nullptr, 3},
    {ReadoutPiece::Unit, 249, 292, 281, 305},
    {ReadoutPiece::SmallNumber, 295, 250, 364, 285, "-144.0"},
    {ReadoutPiece::Unit, 339, 292, 371, 305},
};
static_assert(FillsReadouts(kLoudnessPieces, kTypeEBU) && FillsReadouts(kLoudnessPieces, kTypeDIAL));

// The looks of a page's read-outs.
struct ReadoutStyles {
  const igraphics::TextStyle& number;
  const igraphics::TextStyle& smallNumber;
  const igraphics::TextStyle& unit;
};

// Attaches the read-outs of the page of `type`, recording each entry's
// position in `entries`; a unit shows its reading's unit.
void AttachReadouts(IGraphics& g, std::vector<int>& page, int type, std::span<const ReadoutPiece> pieces,
                    std::span<int> entries, const ReadoutStyles& styles, const MatchButton (&matches)[4]) {
  int entry = 0;
  for (const ReadoutPiece& piece : pieces) {
    const Rect rect{piece.l, piece.t, piece.r, piece.b};
    int position = -1;
    switch (piece.kind) {
      case ReadoutPiece::Match: {
        const MatchButton& match = matches[piece.matchSlot];
        if (match.trigger < 0) continue;
        position = AttachPush(g, static_cast<int>(piece.l), static_cast<int>(piece.t), match.trigger,
                              "match.png", match.tooltip);
        break;
      }
      case ReadoutPiece::Unit: {
        const ReadingRow* reading = FindReadout(type, entry - 1);
        position = entries[entry] = AttachText(g, rect, styles.unit, reading ? reading->unit : "");
        ++entry;
        break;
      }
      default:
        position = entries[entry] =
            AttachText(g, rect, piece.kind == ReadoutPiece::Number ? styles.number : styles.smallNumber,
                       piece.text, piece.tooltip);
        ++entry;
        break;
    }
    page.push_back(position);
  }
}

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

  AttachReadouts(g, page, kTypeRMS, kRMSPieces, mIndices.Readouts(kTypeRMS),
                 {mStyles.ReadoutText, mStyles.ReadoutSmallText, mStyles.UnitText},
                 {{kMatchRMSI, "Match Loudness"},
                  {kMatchRMSMLMax, "Match loudness"},
                  {kMatchRMSPeakMax, "Match loudness"},
                  {kMatchRMSTPMax, "Match loudness"}});
}

void Kalvo5WithEditor::AttachEBUPage(IGraphics& g) {
  AttachSettingsRow(g, mEBUPageControls, "ebuchmode.png", kEBUChannelConfig, kEBUGain, kEBURefLevel,
                    kEBUDelta);
  AttachReadouts(g, mEBUPageControls, kTypeEBU, kLoudnessPieces, mIndices.Readouts(kTypeEBU),
                 {mStyles.ReadoutText, mStyles.ReadoutSmallText, mStyles.UnitText},
                 {{kMatchEBUI, "Match loudness"},
                  {kMatchEBUSLMax, "Match loudness STL Max"},
                  {kMatchEBUMLMax, "Match loudness ML Max"},
                  {kMatchEBUTPMax, "Match loudness"}});
}

void Kalvo5WithEditor::AttachDIALPage(IGraphics& g) {
  std::vector<int>& page = mDIALPageControls;
  AttachSettingsRow(g, page, "dialchmode.png", kDIALChannelConfig, kDIALGain, kDIALRefLevel, kDIALDelta);
  AttachValueField(g, page, 449, kDIALWindow, mStyles.ParamValueText, "SL measurement window");
  AttachReadouts(g, page, kTypeDIAL, kLoudnessPieces, mIndices.Readouts(kTypeDIAL),
                 {mStyles.DialReadoutText, mStyles.DialReadoutSmallText, mStyles.DialUnitText},
                 {{kMatchDIALI, "Match loudness"},
                  {kMatchDIALSLMax, "Match loudness"},
                  {-1, nullptr},
                  {kMatchDIALTPMax, "Match loudness"}});
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
