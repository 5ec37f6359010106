// A push button bound to a trigger parameter: 1 while held, 0 when let go.
#pragma once

#include "framework/igraphics/ISwitchControl.h"

namespace kalvo5 {

class IBPushControlVt : public igraphics::IBSwitchControl {
 public:
  IBPushControlVt(int x, int y, int paramIdx, const igraphics::Bitmap& bitmap);

  void OnMouseDown(float x, float y, const igraphics::MouseMods& mods) override;
  void OnMouseUp(float x, float y, const igraphics::MouseMods& mods) override;
  void OnMouseDoubleClick(float, float, const igraphics::MouseMods&) override {}
  bool IsPressed() const { return mPressed; }

 private:
  bool mPressed = false;
  igraphics::MouseMods mMods;
};

}  // namespace kalvo5
