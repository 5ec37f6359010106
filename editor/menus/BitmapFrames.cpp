#include "editor/menus/BitmapFrames.h"

#include <algorithm>

#include "framework/igraphics/IBitmapBase.h"
#include "framework/igraphics/IGraphics.h"

namespace kalvo5 {

namespace {

float Frames(const igraphics::Bitmap& bitmap) { return static_cast<float>(std::max(bitmap.frames, 1)); }

}  // namespace

float FrameWidth(const igraphics::Bitmap& bitmap) {
  if (!bitmap.IsValid()) return 0.0f;
  const float w = static_cast<float>(bitmap.W);
  return bitmap.framesHorizontal ? w / Frames(bitmap) : w;
}

float FrameHeight(const igraphics::Bitmap& bitmap) {
  if (!bitmap.IsValid()) return 0.0f;
  const float h = static_cast<float>(bitmap.H);
  return bitmap.framesHorizontal ? h : h / Frames(bitmap);
}

igraphics::Rect FrameBounds(const igraphics::Bitmap& bitmap, float x, float y) {
  return {x, y, x + FrameWidth(bitmap), y + FrameHeight(bitmap)};
}

void DrawFrame(igraphics::IGraphics& g, const igraphics::Bitmap& bitmap, const igraphics::Rect& bounds,
               int frame, const igraphics::Blend& blend) {
  if (!bitmap.IsValid()) return;
  const int last = std::max(bitmap.frames, 1);
  int srcX = 0, srcY = 0;
  const igraphics::Rect dest =
      igraphics::IBitmapBase::FrameRect(bitmap, bounds, std::clamp(frame + 1, 1, last), srcX, srcY);
  g.DrawBitmap(bitmap, dest, srcX, srcY, &blend);
}

}  // namespace kalvo5
