// The captions right of the meter columns, set upright along the bars: the
// unit at the top and what the bars show at the bottom.
#include <cmath>
#include <string>

#include "Artwork.h"

namespace artwork {
namespace {

constexpr int kWidth = 22, kHeight = 222;
// The bars run from 19 to 235 units below the caption's top edge.
constexpr double kTopEnd = 19.0, kBottomEnd = kHeight - 3.0;

void UprightText(Canvas& canvas, const Font& font, const std::string& text, double y, Align align) {
  cairo_t* cr = canvas.Context();
  cairo_save(cr);
  cairo_translate(cr, kWidth / 2.0, y);
  cairo_rotate(cr, -3.14159265358979323846 / 2.0);
  canvas.Text(font, palette::kCaption, text, 0.0, canvas.CapHeight(font) / 2.0, align);
  cairo_restore(cr);
}

BitmapArt ScaleCaption(const char* fileName, std::string unit, std::string measure) {
  return {fileName, 1, kWidth, kHeight,
          [unit = std::move(unit), measure = std::move(measure)](Canvas& canvas, int) {
            const Font font{Face::Bold, 9.0};
            // Reading upwards, the unit ends at the top of the bars and the
            // measure starts at their foot.
            UprightText(canvas, font, unit, kTopEnd, Align::Right);
            UprightText(canvas, font, measure, kBottomEnd, Align::Left);
            const double ruleTop = kTopEnd + canvas.TextWidth(font, unit) + 6.0;
            const double ruleBottom = kBottomEnd - canvas.TextWidth(font, measure) - 6.0;
            canvas.Fill({kWidth / 2.0 - 0.5, std::round(ruleTop), kWidth / 2.0 + 0.5, std::round(ruleBottom)},
                        Scaled(palette::kTick, 0.7));
          }};
}

}  // namespace

std::vector<BitmapArt> ScaleCaptionArt() {
  return {
      ScaleCaption("meterlabelpk.png", "dBFS", "Peak"),
      ScaleCaption("meterlabeltp.png", "dBTP", "True Peak"),
  };
}

}  // namespace artwork
