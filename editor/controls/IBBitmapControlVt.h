// A passive bitmap: backgrounds, scale captions, value fields and clip
// lights. Its value picks the frame; it takes no clicks of its own.
#pragma once

#include "framework/igraphics/IBitmapBase.h"
#include "framework/igraphics/IControl.h"

namespace kalvo5 {

class IBBitmapControlVt : public igraphics::IControl, public igraphics::IBitmapBase {
 public:
  IBBitmapControlVt(int x, int y, const igraphics::Bitmap& bitmap);

  // No value prompt on a right click, no reset on a double click.
  void OnMouseDown(float, float, const igraphics::MouseMods&) override {}
  void OnMouseDoubleClick(float, float, const igraphics::MouseMods&) override {}
  void Draw(igraphics::IGraphics& g) override { DrawBitmap(g, *this); }
};

}  // namespace kalvo5
