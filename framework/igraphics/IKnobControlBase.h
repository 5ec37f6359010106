// The base of knobs and sliders: the drag direction and gearing.
#pragma once

#include "IControl.h"

namespace igraphics {

class IKnobControlBase : public IControl {
 public:
  enum class Direction { Horizontal, Vertical };

  IKnobControlBase(const Rect& bounds, int paramIdx = kNoParameter, Direction direction = Direction::Vertical,
                   double gearing = 4.0)
      : IControl(bounds, paramIdx), mDirection(direction), mGearing(gearing) {}

  virtual Rect KnobDragBounds() const { return mTargetRect; }
  Direction GetDirection() const { return mDirection; }
  double GetGearing() const { return mGearing; }

 protected:
  Direction mDirection;
  double mGearing;
};

}  // namespace igraphics
