#include "IBBitmapControlVt.h"

#include "menus/BitmapFrames.h"

namespace kalvo5 {

IBBitmapControlVt::IBBitmapControlVt(int x, int y, const igraphics::Bitmap& bitmap)
    : igraphics::IControl(FrameBounds(bitmap, static_cast<float>(x), static_cast<float>(y))),
      igraphics::IBitmapBase(bitmap) {}

}  // namespace kalvo5
