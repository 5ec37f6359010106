// The recessed tiles behind the numeric read-outs, two rows of them left of
// the meters, each with its caption in the top left corner above the
// read-out, its unit and its Match button.
#pragma once

#include <string>
#include <vector>

#include "Canvas.h"

namespace artwork {

struct TileLook {
  Colour top, bottom, caption;
};
extern const TileLook kLevelTiles;
extern const TileLook kDialogueTiles;

// The upper row takes three captions, the lower row three or four.
void PaintReadoutTiles(Canvas& canvas, const std::vector<std::string>& upperRow,
                       const std::vector<std::string>& lowerRow, const TileLook& look);

}  // namespace artwork
