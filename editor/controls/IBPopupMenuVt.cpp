#include "IBPopupMenuVt.h"

#include <algorithm>
#include <cmath>

#include "framework/iplug/IParam.h"
#include "menus/BitmapFrames.h"

namespace kalvo5 {

IBPopupMenuVt::IBPopupMenuVt(int x, int /*y*/, int paramIdx, const igraphics::Bitmap& bitmap)
    : igraphics::IControl(FrameBounds(bitmap, static_cast<float>(x), kRowTop), paramIdx),
      igraphics::IBitmapBase(bitmap) {
  DisablePrompt(false);
  SetDblAsSingleClick(true);
}

void IBPopupMenuVt::OnMouseDown(float, float, const igraphics::MouseMods&) { AskUserForValue(0); }

void IBPopupMenuVt::OnMouseWheel(float, float, const igraphics::MouseMods&, float delta) {
  const iplug::IParam* param = GetParam();
  if (!param || !(param->GetMax() > param->GetMin())) return;
  const double entry = std::trunc(param->GetValue()) - std::trunc(static_cast<double>(delta));
  SetControlValue(std::clamp(entry / (param->GetMax() - param->GetMin()), 0.0, 1.0), 0);
  MarkDirty(true);
}

}  // namespace kalvo5
