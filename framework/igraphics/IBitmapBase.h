// A mix-in for controls drawn from a bitmap whose frames show the value.
#pragma once

#include "IControl.h"

namespace igraphics {

class IBitmapBase {
 public:
  explicit IBitmapBase(const Bitmap& bitmap) : mBitmap(bitmap) {}
  virtual ~IBitmapBase() = default;

  // The frame (1 ... N) for a normalized value.
  static int FrameFor(int frames, double value);
  // The destination and source offset of that frame, centred on `bounds`.
  static Rect FrameRect(const Bitmap& bitmap, const Rect& bounds, int frame, int& srcX, int& srcY);

  // Draws the frame for the control's slot-0 value.
  void DrawBitmap(IGraphics& g, const IControl& control) const;

  const Bitmap& GetBitmap() const { return mBitmap; }
  void SetBitmap(const Bitmap& bitmap) { mBitmap = bitmap; }

 protected:
  Bitmap mBitmap;
};

}  // namespace igraphics
