// The lit meter bars, drawn over the dark bars of the backgrounds from the
// bottom up to the level, and the clip lights above them.
#include "Artwork.h"
#include "MeterScale.h"

namespace artwork {
namespace {

constexpr int kClipWidth = 16, kClipHeight = 5;

// Frame 0 unlit, frame 1 lit: a lamp behind a dark rim, with a brighter
// streak along its top when lit.
void PaintClipLight(Canvas& canvas, int frame, const Colour& lamp) {
  const Box bounds = canvas.Bounds();
  canvas.Fill(bounds, palette::kEdgeDark);
  const Box glass = bounds.Inset(0.5);
  if (frame == 0) {
    canvas.FillVertical(glass, Mix(palette::kEdgeDark, lamp, 0.24), Mix(palette::kEdgeDark, lamp, 0.16));
    return;
  }
  canvas.FillVertical(glass, Scaled(lamp, 1.1), Scaled(lamp, 0.85));
  canvas.Fill({glass.left + 1.0, glass.top + 0.5, glass.right - 1.0, glass.top + 1.5},
              Mix(lamp, Hex(0xffffff), 0.55));
}

BitmapArt Bar(const char* fileName, const BarColours& colours) {
  return {fileName, 1, kBarWidth, kBarHeight,
          [&colours](Canvas& canvas, int) { PaintBar(canvas, 0.0, 0.0, colours, true); }};
}

BitmapArt ClipLight(const char* fileName, const Colour& lamp) {
  return {fileName, 2, kClipWidth, kClipHeight,
          [lamp](Canvas& canvas, int frame) { PaintClipLight(canvas, frame, lamp); }};
}

}  // namespace

std::vector<BitmapArt> MeterBarArt() {
  return {
      Bar("meter0.png", kLevelBarColours),
      Bar("meter1.png", kDialogueBarColours),
      ClipLight("clip.png", palette::kClipRed),
      ClipLight("clip1.png", palette::kClipRose),
  };
}

}  // namespace artwork
