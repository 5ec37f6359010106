// Frame sizes of a bitmap control's artwork and drawing one chosen frame.
// A bitmap that could not be loaded has no frames: it sizes as 0 x 0 and
// draws nothing.
#pragma once

#include "framework/igraphics/IGraphicsTypes.h"

namespace igraphics {
class IGraphics;
}

namespace kalvo5 {

float FrameWidth(const igraphics::Bitmap& bitmap);
float FrameHeight(const igraphics::Bitmap& bitmap);
// (x, y) and one frame's size.
igraphics::Rect FrameBounds(const igraphics::Bitmap& bitmap, float x, float y);
// Frame `frame` (0 the first) centred in `bounds`.
void DrawFrame(igraphics::IGraphics& g, const igraphics::Bitmap& bitmap, const igraphics::Rect& bounds,
               int frame, const igraphics::Blend& blend);

}  // namespace kalvo5
