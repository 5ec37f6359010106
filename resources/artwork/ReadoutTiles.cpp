#include "ReadoutTiles.h"

#include "Bevels.h"
#include "TextLayout.h"

namespace artwork {
namespace {

constexpr double kUpperRowTop = 112.0, kLowerRowTop = 220.0, kTileHeight = 90.0;
// The read-outs begin 30 units below a tile's top; the caption stays above.
constexpr double kCaptionInset = 6.0, kCaptionTop = 6.0, kLinePitch = 10.0;

// Tile edges of a row of three and of a row of four: every tile holds its
// read-out, the unit right of it and the Match button at its lower left.
const std::vector<double>& EdgesOf(std::size_t count) {
  static const std::vector<double> three{13, 133, 135, 255, 257, 377};
  static const std::vector<double> four{13, 103, 105, 193, 195, 283, 285, 377};
  return count == 4 ? four : three;
}

void PaintTile(Canvas& canvas, const Box& tile, const std::string& caption, const TileLook& look) {
  RecessedField(canvas, tile, look.top, look.bottom, 4.0);
  const Font font{Face::Bold, 8.5};
  const CaptionLines set = SetCaption(canvas, font, caption, tile.Width() - 2.0 * kCaptionInset);
  double baseline = tile.top + kCaptionTop + canvas.CapHeight(set.font);
  for (const std::string& line : set.lines) {
    canvas.Text(set.font, look.caption, line, tile.left + kCaptionInset, baseline, Align::Left);
    baseline += kLinePitch;
  }
}

void PaintRow(Canvas& canvas, double top, const std::vector<std::string>& captions, const TileLook& look) {
  const std::vector<double>& edges = EdgesOf(captions.size());
  for (std::size_t i = 0; i < captions.size() && 2 * i + 1 < edges.size(); ++i) {
    PaintTile(canvas, {edges[2 * i], top, edges[2 * i + 1], top + kTileHeight}, captions[i], look);
  }
}

}  // namespace

const TileLook kLevelTiles{palette::kTileTop, palette::kTileBottom, palette::kTileCaption};
const TileLook kDialogueTiles{palette::kDialTileTop, palette::kDialTileBottom, palette::kDialTileCaption};

void PaintReadoutTiles(Canvas& canvas, const std::vector<std::string>& upperRow,
                       const std::vector<std::string>& lowerRow, const TileLook& look) {
  PaintRow(canvas, kUpperRowTop, upperRow, look);
  PaintRow(canvas, kLowerRowTop, lowerRow, look);
}

}  // namespace artwork
