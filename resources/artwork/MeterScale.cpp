#include "MeterScale.h"

#include <cmath>
#include <string>

namespace artwork {
namespace {

// Columns as the editor places them.
constexpr double kFirstColumnX = 408.0, kColumnPitch = 32.0, kBarTop = 112.0;
constexpr int kColumns = 6;

// A segment is 3 dB tall; its bottom unit is a dark gap.
constexpr double kSegment = 3.0 * kUnitsPerDb, kGap = 1.0;
constexpr Colour kGapColour = Hex(0x07080a);
// How much of its colour a dark segment keeps.
constexpr double kDarkShare = 0.13;

const Colour& ZoneColour(const BarColours& colours, double segmentTop) {
  if (segmentTop < BarY(0.0)) return colours.over;
  if (segmentTop < BarY(kUpperRangeDb)) return colours.upper;
  return colours.lower;
}

// Lit across the face: brightest a little left of the middle, as if rounded.
void PaintSegment(Canvas& canvas, const Box& box, const Colour& colour) {
  cairo_t* cr = canvas.Context();
  cairo_pattern_t* gloss = cairo_pattern_create_linear(box.left, 0.0, box.right, 0.0);
  const struct { double at, gain; } stops[] = {{0.0, 0.70}, {0.38, 1.12}, {1.0, 0.78}};
  for (const auto& stop : stops) {
    const Colour c = Scaled(colour, stop.gain);
    cairo_pattern_add_color_stop_rgb(gloss, stop.at, c.r, c.g, c.b);
  }
  cairo_rectangle(cr, box.left, box.top, box.Width(), box.Height());
  cairo_set_source(cr, gloss);
  cairo_fill(cr);
  cairo_pattern_destroy(gloss);
}

struct Gap {
  double left, right;
};

// The space beside column k's bar (k = -1: left of the first bar), narrowed
// to the part free for ticks and numbers.
Gap GapRightOf(int k) {
  if (k < 0) return {kFirstColumnX - 22.0, kFirstColumnX};
  const double x = kFirstColumnX + kColumnPitch * k + kBarWidth;
  return {x, k == kColumns - 1 ? x + 6.0 : x + kColumnPitch - kBarWidth};
}

void Tick(Canvas& canvas, double left, double right, double y, double thickness, const Colour& colour) {
  canvas.Fill({left, y - thickness / 2.0, right, y + thickness / 2.0}, colour);
}

const Colour& NumberColour(double db) {
  if (db > 0.0) return palette::kScaleOver;
  if (db == 0.0) return palette::kScaleZero;
  return palette::kScaleNumber;
}

void PaintTicksAndNumbers(Canvas& canvas, const Gap& gap, bool numbered, bool besideLeftBar,
                          bool besideRightBar) {
  const Font numberFont{Face::Regular, 7.5};
  const Colour minor = Scaled(palette::kTick, 0.8);
  // Every 6 dB from the top to the foot, every other one a major tick.
  const int steps = static_cast<int>(kBarHeight / (6.0 * kUnitsPerDb));
  for (int step = 0; step <= steps; ++step) {
    const double db = kBarTopDb - 6.0 * step;
    const double y = kBarTop + BarY(db);
    const bool major = step % 2 == 0;
    const bool labelled = numbered && major && db > -60.0;
    const double stub = major ? 2.5 : 1.5;
    const double thickness = major ? 1.0 : 0.5;
    const Colour& colour = major ? palette::kTick : minor;
    if (major && !numbered) {
      Tick(canvas, gap.left + 1.0, gap.right - 1.0, y, thickness, colour);
      continue;
    }
    // A number between two bars stands alone: ticks beside it would read
    // as minus signs.
    if (labelled) {
      const double centre = besideLeftBar ? (gap.left + gap.right) / 2.0 : gap.right - 12.0;
      canvas.TextIn(numberFont, NumberColour(db), std::to_string(static_cast<int>(std::fabs(db))),
                    {centre - 8.0, y - 4.0, centre + 8.0, y + 4.0});
      if (besideLeftBar) continue;
    }
    if (besideLeftBar) Tick(canvas, gap.left + 1.0, gap.left + 1.0 + stub, y, thickness, colour);
    if (besideRightBar) Tick(canvas, gap.right - 1.0 - stub, gap.right - 1.0, y, thickness, colour);
  }
}

}  // namespace

const BarColours kLevelBarColours{Hex(0xf0392c), Hex(0xf5ab1f), Hex(0x3fcf5e)};
const BarColours kDialogueBarColours{Hex(0xd4f8ff), palette::kDialCyan, Hex(0x1f86e0)};

void PaintBar(Canvas& canvas, double x, double y, const BarColours& colours, bool lit) {
  canvas.Fill({x, y, x + kBarWidth, y + kBarHeight}, kGapColour);
  for (double top = 0.0; top < kBarHeight; top += kSegment) {
    const Colour& zone = ZoneColour(colours, top);
    const Colour colour = lit ? zone : Mix(kGapColour, zone, kDarkShare);
    PaintSegment(canvas, {x, y + top, x + kBarWidth, y + top + kSegment - kGap}, colour);
  }
}

void PaintMeterScale(Canvas& canvas, const BarColours& colours, bool numbered) {
  for (int k = 0; k < kColumns; ++k) {
    const double x = kFirstColumnX + kColumnPitch * k;
    // A rim around clip light and bar, then the dark bar.
    canvas.Fill({x - 0.5, kBarTop - 5.5, x + kBarWidth + 0.5, kBarTop + kBarHeight + 0.5},
                palette::kEdgeDark);
    PaintBar(canvas, x, kBarTop, colours, false);
  }
  for (int k = -1; k < kColumns; ++k) {
    PaintTicksAndNumbers(canvas, GapRightOf(k), numbered && k < kColumns - 1, k >= 0, k < kColumns - 1);
  }
}

}  // namespace artwork
