// A selector of an enumerated parameter drawn from a bitmap: a click opens
// the menu of its entries, the wheel steps to the previous or next entry.
#pragma once

#include "framework/igraphics/IBitmapBase.h"
#include "framework/igraphics/IControl.h"

namespace kalvo5 {

class IBPopupMenuVt : public igraphics::IControl, public igraphics::IBitmapBase {
 public:
  static constexpr int kRowTop = 69;  // every selector sits in the settings row

  // `y` is ignored.
  IBPopupMenuVt(int x, int y, int paramIdx, const igraphics::Bitmap& bitmap);

  void OnMouseDown(float x, float y, const igraphics::MouseMods& mods) override;
  void OnMouseWheel(float x, float y, const igraphics::MouseMods& mods, float delta) override;
  void Draw(igraphics::IGraphics& g) override { DrawBitmap(g, *this); }
};

}  // namespace kalvo5
