// An on/off (or N-state) switch drawn from a bitmap: every click steps to
// the next frame's value and wraps round after the last.
#pragma once

#include "framework/igraphics/IBitmapBase.h"
#include "framework/igraphics/ISwitchControl.h"

namespace kalvo5 {

class IBSwitchControlVt : public igraphics::ISwitchControlBase, public igraphics::IBitmapBase {
 public:
  IBSwitchControlVt(float x, float y, const igraphics::Bitmap& bitmap, int paramIdx);

  void OnMouseDown(float x, float y, const igraphics::MouseMods& mods) override;
  void OnMouseUp(float x, float y, const igraphics::MouseMods& mods) override;
  void Draw(igraphics::IGraphics& g) override { DrawBitmap(g, *this); }

 private:
  igraphics::MouseMods mMods;
};

}  // namespace kalvo5
