#include "IVTextControlVt.h"

namespace kalvo5 {

IVTextControlVt::IVTextControlVt(const igraphics::Rect& bounds, const igraphics::TextStyle& style,
                                 const std::string& text)
    : igraphics::ITextControl(bounds, text, style, igraphics::kColorTransparent) {
  SetIgnoreMouse(true);
}

void IVTextControlVt::SetLabelText(const std::string& text) {
  if (text == mLabel) return;
  mLabel = text;
  MarkDirty(true);
}

}  // namespace kalvo5
