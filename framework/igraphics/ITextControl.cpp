#include "ITextControl.h"

#include "IGraphics.h"

namespace igraphics {

ITextControl::ITextControl(const Rect& bounds, std::string text, const TextStyle& style,
                           const Color& background)
    : IControl(bounds), mLabel(std::move(text)), mBackground(background) {
  mTextStyle = style;
  SetIgnoreMouse(true);
}

void ITextControl::Draw(IGraphics& g) {
  g.FillRect(mBackground, mRect, &mBlend);
  if (!mLabel.empty() && g.TextEntryRequester() != this) g.DrawText(mTextStyle, mLabel, mRect, &mBlend);
}

void ITextControl::SetLabelText(const std::string& text) {
  if (text == mLabel) return;
  mLabel = text;
  MarkDirty(false);
}

}  // namespace igraphics
