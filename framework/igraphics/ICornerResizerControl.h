// The triangle in the editor's bottom-right corner that resizes the editor
// by dragging (and back to its initial size by a double click).
#pragma once

#include "IControl.h"

namespace igraphics {

class ICornerResizerControl : public IControl {
 public:
  // `size` is the side of the square in pixels.
  ICornerResizerControl(const Rect& editorBounds, float size, const Color& color = {255, 128, 128, 128},
                        const Color& mouseOverColor = {255, 200, 200, 200},
                        const Color& dragColor = {255, 255, 255, 255});

  void Draw(IGraphics& g) override;
  void OnMouseDown(float x, float y, const MouseMods& mods) override;
  void OnMouseDoubleClick(float x, float y, const MouseMods& mods) override;
  void OnScaleChanged() override;
  void OnMouseOver(float x, float y, const MouseMods& mods) override;
  void OnMouseOut() override;

 protected:
  float mSize;
  Color mColor, mMouseOverColor, mDragColor;
  int mInitialWidth, mInitialHeight;
  int mPreviousCursor = kCursorArrow;
};

}  // namespace igraphics
