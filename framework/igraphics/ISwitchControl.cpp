#include "ISwitchControl.h"

#include <cmath>

#include "IGraphics.h"
#include "framework/iplug/IParam.h"

namespace igraphics {

ISwitchControlBase::ISwitchControlBase(const Rect& bounds, int paramIdx, ActionFunction action, int numStates)
    : IControl(bounds, paramIdx, std::move(action)), mNumStates(numStates) {
  SetDblAsSingleClick(true);
}

void ISwitchControlBase::OnInit() {
  if (const iplug::IParam* param = GetParam(0))
    mNumStates = static_cast<int>(param->GetMax() - param->GetMin()) + 1;
}

void ISwitchControlBase::OnMouseDown(float /*x*/, float /*y*/, const MouseMods& /*mods*/) {
  double value = GetValue(0);
  if (mNumStates == 2) {
    value = value == 0.0 ? 1.0 : 0.0;
  } else if (mNumStates > 2) {
    value += 1.0 / (mNumStates - 1);
    if (value > 1.0000000000000002) value = 0.0;
  }
  SetControlValue(value, 0);
  mMouseDown = true;
  MarkDirty(true);
}

void ISwitchControlBase::OnMouseUp(float /*x*/, float /*y*/, const MouseMods& /*mods*/) {
  mMouseDown = false;
  MarkDirty(false);
}

IBSwitchControl::IBSwitchControl(const Rect& bounds, const Bitmap& bitmap, int paramIdx,
                                 ActionFunction action)
    : ISwitchControlBase(bounds, paramIdx, std::move(action), bitmap.frames), IBitmapBase(bitmap) {}

}  // namespace igraphics
