// The editor's bitmaps as the generator knows them: each file's name, frame
// count, frame size in editor units and the procedure that paints one frame.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Canvas.h"

namespace artwork {

struct BitmapArt {
  std::string fileName;  // as the editor names it, e.g. "offon.png"
  int frames;
  int width, height;  // of one frame, in editor units
  // Paints frame `frame` on a canvas whose origin is that frame's top left.
  std::function<void(Canvas& canvas, int frame)> paint;
};

// The artwork, one group per concern.
std::vector<BitmapArt> PageBackgroundArt();
std::vector<BitmapArt> MeterBarArt();
std::vector<BitmapArt> SelectorArt();
std::vector<BitmapArt> ButtonArt();
std::vector<BitmapArt> ScaleCaptionArt();

// All of the above.
std::vector<BitmapArt> AllArt();

}  // namespace artwork
