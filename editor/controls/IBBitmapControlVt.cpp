#include "IBBitmapControlVt.h"

#include <algorithm>

#include "framework/igraphics/IGraphics.h"

namespace kalvo5 {

igraphics::Rect FrameBounds(float x, float y, const igraphics::Bitmap& bitmap) {
  const int frames = std::max(bitmap.frames, 1);
  const int w = bitmap.framesHorizontal ? bitmap.W / frames : bitmap.W;
  const int h = bitmap.framesHorizontal ? bitmap.H : bitmap.H / frames;
  return {x, y, x + static_cast<float>(w), y + static_cast<float>(h)};
}

void ReloadBitmapForScale(igraphics::IControl& control, igraphics::IBitmapBase& holder) {
  igraphics::IGraphics* g = control.GetUI();
  const igraphics::Bitmap& current = holder.GetBitmap();
  if (!g || current.name.empty()) return;
  igraphics::Bitmap reloaded = g->LoadBitmapResource(current.name, current.frames, current.framesHorizontal);
  if (reloaded.IsValid()) holder.SetBitmap(reloaded);
}

IBBitmapControlVt::IBBitmapControlVt(int x, int y, const igraphics::Bitmap& bitmap)
    : igraphics::IControl(FrameBounds(static_cast<float>(x), static_cast<float>(y), bitmap)),
      igraphics::IBitmapBase(bitmap) {}

void IBBitmapControlVt::OnScaleChanged() { ReloadBitmapForScale(*this, *this); }

}  // namespace kalvo5
