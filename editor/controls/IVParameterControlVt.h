// A continuous parameter (gain, reference level, window length) shown as its
// display text with the unit. Drag up or down to change it (shift for fine
// steps), turn the wheel, control-click for the default, double-click to
// type a value.
#pragma once

#include "framework/igraphics/IKnobControlBase.h"

namespace kalvo5 {

class IVParameterControlVt : public igraphics::IKnobControlBase {
 public:
  IVParameterControlVt(const igraphics::Rect& bounds, int paramIdx, const igraphics::TextStyle& style,
                       double gearing);

  void OnMouseDown(float x, float y, const igraphics::MouseMods& mods) override;
  void OnMouseUp(float x, float y, const igraphics::MouseMods& mods) override;
  void OnMouseDrag(float x, float y, float dx, float dy, const igraphics::MouseMods& mods) override;
  void OnMouseDoubleClick(float x, float y, const igraphics::MouseMods& mods) override;
  void OnMouseWheel(float x, float y, const igraphics::MouseMods& mods, float delta) override;
  void Draw(igraphics::IGraphics& g) override;

  // The text the control shows: the display text and the unit.
  std::string ValueText() const;

 private:
  // The value snapped down to the parameter's step when it is stepped.
  double SnapToStep(double normalized) const;

  bool mMouseDown = false;
  double mDragValue = 0.0;
  igraphics::MouseMods mMods;
};

}  // namespace kalvo5
