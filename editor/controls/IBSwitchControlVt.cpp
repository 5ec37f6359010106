#include "IBSwitchControlVt.h"

#include "menus/BitmapFrames.h"

namespace kalvo5 {

IBSwitchControlVt::IBSwitchControlVt(float x, float y, const igraphics::Bitmap& bitmap, int paramIdx)
    : igraphics::ISwitchControlBase(FrameBounds(bitmap, x, y), paramIdx), igraphics::IBitmapBase(bitmap) {}

void IBSwitchControlVt::OnMouseDown(float, float, const igraphics::MouseMods& mods) {
  mMods = mods;
  const int frames = mBitmap.frames;
  const double v = GetValue() + (frames < 2 ? 1.0 : 1.0 / (frames - 1));
  SetControlValue(v > 1.001 ? 0.0 : v, 0);
  MarkDirty(true);
}

void IBSwitchControlVt::OnMouseUp(float, float, const igraphics::MouseMods&) {
  mMods = {};
  mMouseDown = false;
  MarkDirty(false);
}

}  // namespace kalvo5
