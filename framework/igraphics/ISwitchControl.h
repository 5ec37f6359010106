// Switches: a control stepping through a number of states on every click,
// and the bitmap-drawn switch.
#pragma once

#include "IBitmapBase.h"
#include "IControl.h"

namespace igraphics {

class ISwitchControlBase : public IControl {
 public:
  ISwitchControlBase(const Rect& bounds, int paramIdx = kNoParameter, ActionFunction action = nullptr,
                     int numStates = 2);

  // A bound control takes its number of states from the parameter's range.
  void OnInit() override;
  void OnMouseDown(float x, float y, const MouseMods& mods) override;
  void OnMouseUp(float x, float y, const MouseMods& mods) override;

  int NumStates() const { return mNumStates; }
  bool MouseIsDown() const { return mMouseDown; }

 protected:
  int mNumStates;
  bool mMouseDown = false;
};

class IBSwitchControl : public ISwitchControlBase, public IBitmapBase {
 public:
  IBSwitchControl(const Rect& bounds, const Bitmap& bitmap, int paramIdx = kNoParameter,
                  ActionFunction action = nullptr);

  void Draw(IGraphics& g) override { DrawBitmap(g, *this); }
};

}  // namespace igraphics
