// The meter columns' scale: a bar covers -60 ... +12 dB at 3 units per dB,
// +12 dB at its top edge. Bars are built of 3 dB segments whose colour says
// how loud that part of the scale is: over 0 dB, the upper range from -18 dB
// to 0 dB, and everything below. The lit bar bitmaps and the dark bars on the
// page backgrounds are painted by the same procedure, so their segments line
// up exactly.
#pragma once

#include "Canvas.h"

namespace artwork {

constexpr int kBarWidth = 16, kBarHeight = 216;
constexpr double kUnitsPerDb = 3.0;
constexpr double kBarTopDb = 12.0;
constexpr double kUpperRangeDb = -18.0;

// Distance of a level below the bar's top edge, in units.
constexpr double BarY(double db) { return (kBarTopDb - db) * kUnitsPerDb; }

struct BarColours {
  Colour over, upper, lower;
};

// Red, amber and green for the level meters; a cyan family for the
// dialogue meter.
extern const BarColours kLevelBarColours;
extern const BarColours kDialogueBarColours;

// A whole bar with its top left at (x, y), lit or dark.
void PaintBar(Canvas& canvas, double x, double y, const BarColours& colours, bool lit);

// The six columns' scale on a page background: dark bars, ticks every 6 dB
// and, when numbered, the magnitudes 12, 0, 12, ... 48 every 12 dB.
void PaintMeterScale(Canvas& canvas, const BarColours& colours, bool numbered);

}  // namespace artwork
