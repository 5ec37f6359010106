#include "IBitmapBase.h"

#include <algorithm>
#include <cmath>

#include "IGraphics.h"

namespace igraphics {

int IBitmapBase::FrameFor(int frames, double value) {
  if (frames <= 1) return 1;
  const double index = std::trunc((frames - 1) * value + 0.5);
  if (!(index >= 0.0)) return 1;
  return std::clamp(static_cast<int>(std::min(index, static_cast<double>(frames))) + 1, 1, frames);
}

Rect IBitmapBase::FrameRect(const Bitmap& bitmap, const Rect& bounds, int frame, int& srcX, int& srcY) {
  const int n = std::max(bitmap.frames, 1);
  const int fw = bitmap.framesHorizontal ? bitmap.W / n : bitmap.W;
  const int fh = bitmap.framesHorizontal ? bitmap.H : bitmap.H / n;
  const float left = (bounds.L + bounds.R) * 0.5f - static_cast<float>(fw) * 0.5f;
  const float top = (bounds.T + bounds.B) * 0.5f - static_cast<float>(fh) * 0.5f;
  srcX = bitmap.framesHorizontal ? bitmap.W * (frame - 1) / n : 0;
  srcY = bitmap.framesHorizontal ? 0 : bitmap.H * (frame - 1) / n;
  return {left, top, left + static_cast<float>(fw), top + static_cast<float>(fh)};
}

Bitmap ReloadedForScale(IGraphics& g, const Bitmap& bitmap) {
  if (bitmap.name.empty()) return bitmap;
  Bitmap reloaded = g.LoadBitmapResource(bitmap.name, bitmap.frames, bitmap.framesHorizontal);
  return reloaded.IsValid() ? reloaded : bitmap;
}

void IBitmapBase::ReloadBitmap(IGraphics& g) { mBitmap = ReloadedForScale(g, mBitmap); }

void IBitmapBase::DrawBitmap(IGraphics& g, const IControl& control) const {
  int srcX = 0, srcY = 0;
  const int frame = FrameFor(mBitmap.frames, control.GetValue(0));
  const Rect dest = FrameRect(mBitmap, control.GetRect(), frame, srcX, srcY);
  g.DrawBitmap(mBitmap, dest, srcX, srcY, &control.GetBlend());
}

}  // namespace igraphics
