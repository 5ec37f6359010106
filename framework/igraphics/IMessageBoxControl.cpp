#include "IMessageBoxControl.h"

#include <algorithm>

#include "IGraphics.h"
#include "TextLayout.h"

namespace igraphics {
namespace {

constexpr float kBoxWidth = 320.0f;
constexpr float kBoxHeight = 150.0f;
constexpr float kButtonWidth = 70.0f;
constexpr float kButtonHeight = 22.0f;
constexpr float kMargin = 10.0f;

}  // namespace

IMessageBoxControl::IMessageBoxControl(const Rect& editorBounds, std::string text, std::string caption,
                                       int type)
    : IControl(editorBounds), mText(std::move(text)), mCaption(std::move(caption)), mType(type) {
  mTextStyle.size = 13.0f;
  // A quick second click on a button is still an answer.
  SetDblAsSingleClick(true);
  OnResized();
}

void IMessageBoxControl::OnResized() {
  const float w = std::min(kBoxWidth, std::max(mRect.W() - 2.0f * kMargin, 100.0f));
  const float h = std::min(kBoxHeight, std::max(mRect.H() - 2.0f * kMargin, 80.0f));
  mBox = mRect.CentredBox(w, h);
}

int IMessageBoxControl::ButtonCount() const { return mType == kMB_YESNO ? 2 : 1; }

Rect IMessageBoxControl::ButtonRect(int index) const {
  const int count = ButtonCount();
  const float right = mBox.R - kMargin - static_cast<float>(count - 1 - index) * (kButtonWidth + kMargin);
  return {right - kButtonWidth, mBox.B - kMargin - kButtonHeight, right, mBox.B - kMargin};
}

int IMessageBoxControl::ResultOf(int button) const {
  if (mType == kMB_YESNO) return button == 0 ? kResultYes : kResultNo;
  return kResultOK;
}

void IMessageBoxControl::Answer(int result) {
  if (IGraphics* g = GetUI()) g->CloseMessageBox(result);
}

void IMessageBoxControl::OnMouseDown(float x, float y, const MouseMods& mods) {
  if (!mods.L) return;
  for (int i = 0; i < ButtonCount(); ++i) {
    if (ButtonRect(i).Contains(x, y)) {
      Answer(ResultOf(i));
      return;
    }
  }
}

bool IMessageBoxControl::OnControlKeyDown(float /*x*/, float /*y*/, const KeyPress& key) {
  if (key.vk == vk::kReturn || key.vk == vk::kSpace) {
    Answer(ResultOf(0));
  } else if (key.vk == vk::kEscape) {
    Answer(ResultOf(ButtonCount() - 1));
  } else if (mType == kMB_YESNO && (key.vk == 'Y' || key.vk == 'N')) {
    Answer(key.vk == 'Y' ? kResultYes : kResultNo);
  }
  return true;
}

void IMessageBoxControl::Draw(IGraphics& g) {
  static constexpr Color kShade{110, 0, 0, 0};
  static constexpr Color kBackground{255, 240, 240, 240};
  static constexpr Color kCaptionBar{255, 60, 60, 70};
  static constexpr Color kBorder{255, 40, 40, 40};
  static constexpr Color kButton{255, 215, 215, 220};
  g.FillRect(kShade, mRect);
  g.FillRect(kBackground, mBox);
  const Rect captionBar{mBox.L, mBox.T, mBox.R, mBox.T + 22.0f};
  g.FillRect(kCaptionBar, captionBar);
  g.DrawRect(kBorder, mBox);

  TextStyle caption = mTextStyle;
  caption.color = kColorWhite;
  caption.align = HAlign::Near;
  g.DrawText(caption, mCaption, {captionBar.L + kMargin, captionBar.T, captionBar.R - kMargin, captionBar.B});

  TextStyle body = mTextStyle;
  body.align = HAlign::Near;
  body.valign = VAlign::Top;
  const float textWidth = mBox.W() - 2.0f * kMargin;
  const float lineHeight = body.size * 1.3f;
  float top = captionBar.B + kMargin;
  const float bottom = ButtonRect(0).T - kMargin;
  for (const std::string& line :
       WrapText(mText, textWidth, [&](const std::string& s) { return g.MeasureText(body, s).W(); })) {
    if (top + lineHeight > bottom) break;
    g.DrawText(body, line, {mBox.L + kMargin, top, mBox.R - kMargin, top + lineHeight});
    top += lineHeight;
  }

  static const char* const kOk[] = {"OK"};
  static const char* const kYesNo[] = {"Yes", "No"};
  TextStyle button = mTextStyle;
  for (int i = 0; i < ButtonCount(); ++i) {
    const Rect r = ButtonRect(i);
    g.FillRoundRect(kButton, r, 3.0f);
    g.DrawRoundRect(kBorder, r, 3.0f);
    g.DrawText(button, mType == kMB_YESNO ? kYesNo[i] : kOk[0], r);
  }
}

}  // namespace igraphics
