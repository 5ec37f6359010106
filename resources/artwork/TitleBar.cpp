#include "TitleBar.h"

#include <cmath>

#include "Bevels.h"

namespace artwork {
namespace {

constexpr double kLogoLeft = 40.0, kTitleMiddle = 19.0;
constexpr Box kPresetNameField{235.0, 7.0, 419.0, 31.0};
// Right of the click area's left edge, left of the update light.
constexpr double kDescriptionRight = 596.0;

// "Kalvo" set in bold with the 5 on an amber badge; returns its right edge.
double PaintLogo(Canvas& canvas) {
  const Font word{Face::Bold, 19.0};
  const double baseline = kTitleMiddle + canvas.CapHeight(word) / 2.0;
  canvas.Text(word, palette::kLogo, "Kalvo", kLogoLeft, baseline, Align::Left);

  const double badgeLeft = kLogoLeft + canvas.TextWidth(word, "Kalvo") + 2.5;
  const Box badge{std::round(badgeLeft * 2.0) / 2.0, 8.0, std::round(badgeLeft * 2.0) / 2.0 + 15.0, 30.0};
  canvas.Fill(badge.Shifted(0.0, 0.5), palette::kEdgeDark, 3.0);
  canvas.FillVertical(badge, Scaled(palette::kBrand, 1.12), Scaled(palette::kBrand, 0.82), 3.0);
  canvas.TextIn({Face::Bold, 17.0}, palette::kTitleBar, "5", badge.Shifted(0.0, 0.25));
  return badge.right;
}

}  // namespace

void PaintTitleBar(Canvas& canvas, const std::string& pageDescription) {
  const double width = canvas.Width();
  canvas.Fill({0.0, 0.0, width, kTitleBarHeight}, palette::kTitleBar);
  canvas.Fill({0.0, kTitleBarHeight, width, kTitleBarHeight + 0.5}, palette::kEdgeDark);
  canvas.Fill({0.0, kTitleBarHeight + 0.5, width, kTitleBarHeight + 1.0}, Scaled(palette::kEdgeLight, 0.8));

  const double logoRight = PaintLogo(canvas);
  const Font small{Face::Regular, 7.0};
  const double taglineLeft = logoRight + 8.0;
  const Font tagline =
      canvas.Fitted(small, "LEVEL & LOUDNESS METER", kPresetNameField.left - 8.0 - taglineLeft);
  canvas.TextIn(tagline, palette::kDescriptor, "LEVEL & LOUDNESS METER",
                {taglineLeft, 7.0, kPresetNameField.left, 31.0}, Align::Left);

  RecessedField(canvas, kPresetNameField, palette::kFieldTop, palette::kFieldBottom, 3.0);

  const Font description = canvas.Fitted({Face::Bold, 8.0}, pageDescription, 105.0);
  canvas.TextIn(description, palette::kDescriptor, pageDescription,
                {kDescriptionRight - 110.0, 7.0, kDescriptionRight, 31.0}, Align::Right);
}

}  // namespace artwork
