// A mix-in for controls drawn from a bitmap whose frames show the value.
#pragma once

#include "IControl.h"

namespace igraphics {

class IGraphics;

// The same bitmap at the window's current bitmap scale (itself when it has no
// name or cannot be loaded again).
Bitmap ReloadedForScale(IGraphics& g, const Bitmap& bitmap);

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

  // Loads the bitmap again at the window's bitmap scale; keeps the old one
  // when that fails. The window calls it when the scale it needs changes.
  void ReloadBitmap(IGraphics& g);
  const Bitmap& GetBitmap() const { return mBitmap; }
  void SetBitmap(const Bitmap& bitmap) { mBitmap = bitmap; }

 protected:
  Bitmap mBitmap;
};

}  // namespace igraphics
