// A message box drawn inside the editor (OK, or Yes and No). It does not
// block: the answer goes to the editor window, which passes it to the
// completion callback. While it shows it receives every mouse and key event:
// Enter answers OK or Yes, Escape OK or No.
#pragma once

#include <string>

#include "IControl.h"

namespace igraphics {

class IMessageBoxControl : public IControl {
 public:
  IMessageBoxControl(const Rect& editorBounds, std::string text, std::string caption, int type);

  int Type() const { return mType; }
  const std::string& Text() const { return mText; }
  // The area of button i (0: OK or Yes, 1: No).
  Rect ButtonRect(int index) const;
  int ButtonCount() const;

  void Draw(IGraphics& g) override;
  bool HitTest(float /*x*/, float /*y*/) const override { return true; }
  void OnMouseDown(float x, float y, const MouseMods& mods) override;
  bool OnControlKeyDown(float x, float y, const KeyPress& key) override;
  void OnResized() override;

 private:
  int ResultOf(int button) const;
  void Answer(int result);

  std::string mText;
  std::string mCaption;
  int mType;
  Rect mBox;
};

}  // namespace igraphics
