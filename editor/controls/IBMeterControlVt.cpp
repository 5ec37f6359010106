#include "IBMeterControlVt.h"

#include <algorithm>

#include "framework/igraphics/IGraphics.h"

namespace kalvo5 {

IBMeterControlVt::IBMeterControlVt(int x, int /*y*/, const igraphics::Bitmap& bitmap)
    : IBBitmapControlVt(x, kTop, bitmap) {}

void IBMeterControlVt::Draw(igraphics::IGraphics& g) {
  int srcX = 0, srcY = 0;
  igraphics::Rect r = FrameRect(mBitmap, GetRect(), 1, srcX, srcY);
  const float frameHeight = r.H();
  const double v = std::clamp(GetValue(), 0.0, 1.0);
  if (!(v > 0.0)) return;
  const float hidden = static_cast<float>((1.0 - v) * static_cast<double>(frameHeight));
  r.T += hidden;
  g.DrawBitmap(mBitmap, r, srcX, srcY + static_cast<int>(hidden), &GetBlend());
}

}  // namespace kalvo5
