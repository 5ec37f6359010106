// A text label: a background colour and a text drawn in the control's style.
#pragma once

#include <string>

#include "IControl.h"

namespace igraphics {

class ITextControl : public IControl {
 public:
  ITextControl(const Rect& bounds, std::string text = "", const TextStyle& style = {},
               const Color& background = kColorTransparent);

  void Draw(IGraphics& g) override;
  virtual void SetLabelText(const std::string& text);
  const std::string& GetLabelText() const { return mLabel; }
  void SetBackgroundColor(const Color& color) { mBackground = color; }
  const Color& GetBackgroundColor() const { return mBackground; }
  bool GetSizeToText() const { return mSizeToText; }
  void SetSizeToText(bool on) { mSizeToText = on; }

 protected:
  std::string mLabel;
  Color mBackground;
  bool mSizeToText = false;
};

}  // namespace igraphics
