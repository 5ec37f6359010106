#include "IBPushControlVt.h"

#include "menus/BitmapFrames.h"

namespace kalvo5 {

IBPushControlVt::IBPushControlVt(int x, int y, int paramIdx, const igraphics::Bitmap& bitmap)
    : igraphics::IBSwitchControl(FrameBounds(bitmap, static_cast<float>(x), static_cast<float>(y)), bitmap,
                                 paramIdx) {
  mNumStates = 2;
}

void IBPushControlVt::OnMouseDown(float, float, const igraphics::MouseMods& mods) {
  mMods = mods;
  mPressed = true;
  SetControlValue(1.0, 0);
  MarkDirty(true);
}

void IBPushControlVt::OnMouseUp(float, float, const igraphics::MouseMods&) {
  mMods = {};
  mPressed = false;
  SetControlValue(0.0, 0);
  MarkDirty(true);
}

}  // namespace kalvo5
