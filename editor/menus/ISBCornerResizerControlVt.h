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
  // bitmap is missing). The two size-mode commands are kept for a window
  // resized by size; this editor always scales. `scaleCommand` tells the
  // plug-in a new scale, `toggleCommand` is a double click.
  ISBCornerResizerControlVt(Kalvo5& plugin, const igraphics::Rect& editorBounds,
                            const igraphics::Bitmap& bitmap, int sizeCommand, int sizeDoneCommand,
                            int scaleCommand, int toggleCommand);

  void OnMouseDown(float x, float y, const igraphics::MouseMods& mods) override;
  void OnMouseDoubleClick(float x, float y, const igraphics::MouseMods& mods) override;
  void OnScaleChanged() override;
  void OnResized() override;
  void Draw(igraphics::IGraphics& g) override;

  int SizeCommand() const { return mSizeCommand; }
  int SizeDoneCommand() const { return mSizeDoneCommand; }
  int ScaleCommand() const { return mScaleCommand; }
  int ToggleCommand() const { return mToggleCommand; }

 private:
  void SendCommand(int command);

  Kalvo5& mPlugin;
  int mSizeCommand;
  int mSizeDoneCommand;
  int mScaleCommand;
  int mToggleCommand;
};

}  // namespace kalvo5
