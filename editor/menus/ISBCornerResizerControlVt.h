// The corner resizer in the editor's bottom-right corner, drawn from a
// bitmap: dragging scales the whole editor, a double click switches the
// plug-in between its two usual scales. Its square keeps its size in editor
// units at every scale. Editor thread.
#pragma once

#include "framework/igraphics/IBitmapBase.h"
#include "framework/igraphics/ICornerResizerControl.h"
#include "plugin/Kalvo5.h"

namespace kalvo5 {

class ISBCornerResizerControlVt : public igraphics::ICornerResizerControl, public igraphics::IBitmapBase {
 public:
  // The side of the square is the bitmap's frame width (16 units when the
  // bitmap is missing). `scaleCommand` tells the plug-in a new scale,
  // `toggleCommand` is a double click; the editor always scales.
  ISBCornerResizerControlVt(Kalvo5& plugin, const igraphics::Rect& editorBounds,
                            const igraphics::Bitmap& bitmap, int scaleCommand, int toggleCommand);

  void OnMouseDown(float x, float y, const igraphics::MouseMods& mods) override;
  void OnMouseDoubleClick(float x, float y, const igraphics::MouseMods& mods) override;
  void OnScaleChanged() override;
  void OnResized() override;
  void Draw(igraphics::IGraphics& g) override;

 private:
  void SendCommand(int command);

  Kalvo5& mPlugin;
  int mScaleCommand;
  int mToggleCommand;
};

}  // namespace kalvo5
