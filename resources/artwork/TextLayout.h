// Short captions set into narrow places: one line when it fits, else two
// lines split at a blank, and smaller type only when even that is too wide.
#pragma once

#include <string>
#include <vector>

#include "Canvas.h"

namespace artwork {

struct CaptionLines {
  Font font;
  std::vector<std::string> lines;  // one or two
};

CaptionLines SetCaption(Canvas& canvas, const Font& font, const std::string& text, double maxWidth);

}  // namespace artwork
