#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "PixelTestSupport.h"
#include "graphics/Drawing.h"

using graphics::CreateImageSurface;
using graphics::RectF;
using graphics::Rgba;
using graphicstest::AlphaAt;
using graphicstest::kBlue;
using graphicstest::kRed;
using graphicstest::PixelAt;

namespace {
const Rgba kRedColor{1, 0, 0, 1};
const Rgba kBlueColor{0, 0, 1, 1};
}  // namespace

TEST(CairoSurface, FilledRectangleCoversItsPixelsAtEitherScale) {
  for (int scale : {1, 2}) {
    auto surface = CreateImageSurface(40, 40);
    ASSERT_TRUE(surface);
    surface->SetScale(scale);
    surface->Rectangle({2, 3, 10, 8});
    surface->Fill(kRedColor, 1.0f);
    const int s = scale;
    EXPECT_EQ(PixelAt(*surface, 2 * s, 3 * s), kRed) << scale;
    EXPECT_EQ(PixelAt(*surface, 10 * s - 1, 8 * s - 1), kRed) << scale;
    EXPECT_EQ(PixelAt(*surface, 2 * s - 1, 5 * s), 0u) << scale;
    EXPECT_EQ(PixelAt(*surface, 10 * s, 5 * s), 0u) << scale;
    EXPECT_EQ(PixelAt(*surface, 5 * s, 8 * s), 0u) << scale;
  }
}

TEST(CairoSurface, StrokeThicknessAndPositionFollowTheScale) {
  auto surface = CreateImageSurface(40, 40);
  surface->MoveTo(2, 5.5f);
  surface->LineTo(18, 5.5f);
  surface->Stroke(kBlueColor, 1.0f, 1.0f, false);
  EXPECT_EQ(PixelAt(*surface, 10, 5), kBlue);
  EXPECT_EQ(PixelAt(*surface, 10, 4), 0u);
  EXPECT_EQ(PixelAt(*surface, 10, 6), 0u);

  surface->Clear();
  surface->SetScale(2.0);
  surface->MoveTo(2, 5.5f);
  surface->LineTo(18, 5.5f);
  surface->Stroke(kBlueColor, 1.0f, 1.0f, false);
  EXPECT_EQ(PixelAt(*surface, 20, 10), kBlue);
  EXPECT_EQ(PixelAt(*surface, 20, 11), kBlue);
  EXPECT_EQ(PixelAt(*surface, 20, 9), 0u);
  EXPECT_EQ(PixelAt(*surface, 20, 12), 0u);
}

TEST(CairoSurface, DottedStrokeAlternatesUnitByUnit) {
  auto surface = CreateImageSurface(20, 10);
  surface->MoveTo(0, 5.5f);
  surface->LineTo(20, 5.5f);
  surface->Stroke(kRedColor, 1.0f, 1.0f, true);
  for (int x = 0; x < 20; ++x) EXPECT_EQ(PixelAt(*surface, x, 5), x % 2 == 0 ? kRed : 0u) << x;
  // The dash pattern ends with the stroke: the next one is solid.
  surface->MoveTo(0, 2.5f);
  surface->LineTo(20, 2.5f);
  surface->Stroke(kRedColor, 1.0f, 1.0f, false);
  EXPECT_EQ(PixelAt(*surface, 1, 2), kRed);
}

TEST(CairoSurface, ClipsNestAndPopBack) {
  auto surface = CreateImageSurface(20, 20);
  surface->SetScale(2.0);
  surface->PushClip({0, 0, 5, 5});
  surface->PushClip({3, 3, 10, 10});
  surface->Rectangle({0, 0, 10, 10});
  surface->Fill(kRedColor, 1.0f);
  EXPECT_EQ(PixelAt(*surface, 7, 7), kRed);
  EXPECT_EQ(PixelAt(*surface, 5, 5), 0u);
  EXPECT_EQ(PixelAt(*surface, 12, 12), 0u);
  surface->PopClip();
  surface->PopClip();
  surface->PopClip();  // unmatched: ignored
  // The scale survives the clips.
  surface->Rectangle({0, 0, 10, 10});
  surface->Fill(kBlueColor, 1.0f);
  EXPECT_EQ(PixelAt(*surface, 19, 19), kBlue);
}

TEST(CairoSurface, BlendWeightScalesAlpha) {
  auto surface = CreateImageSurface(4, 4);
  surface->Rectangle({0, 0, 4, 4});
  surface->Fill({1, 1, 1, 1}, 0.5f);
  EXPECT_NEAR(AlphaAt(*surface, 1, 1), 128, 1);
  surface->Clear();
  surface->Rectangle({0, 0, 4, 4});
  surface->Fill({1, 1, 1, 1}, 7.0f);  // clamped to full weight
  EXPECT_EQ(AlphaAt(*surface, 1, 1), 255);
}

TEST(CairoSurface, ArcsRunClockwiseFromTwelveOClock) {
  auto surface = CreateImageSurface(40, 40);
  surface->MoveTo(20, 20);
  surface->Arc(20, 20, 15, 0, 90);
  surface->ClosePath();
  surface->Fill(kRedColor, 1.0f);
  EXPECT_EQ(PixelAt(*surface, 27, 13), kRed);  // upper right
  EXPECT_EQ(PixelAt(*surface, 13, 13), 0u);
  EXPECT_EQ(PixelAt(*surface, 27, 27), 0u);
}

TEST(CairoSurface, RoundedRectangleAndEllipseShapes) {
  auto surface = CreateImageSurface(40, 40);
  const float radii[4] = {10, 0, 0, 0};
  surface->RoundedRectangle({0, 0, 20, 20}, radii);
  surface->Fill(kRedColor, 1.0f);
  EXPECT_EQ(PixelAt(*surface, 0, 0), 0u);     // rounded corner
  EXPECT_EQ(PixelAt(*surface, 19, 0), kRed);  // square corner
  EXPECT_EQ(PixelAt(*surface, 0, 19), kRed);

  surface->Clear();
  surface->Ellipse(20, 20, 15, 5, 90);  // turned upright
  surface->Fill(kBlueColor, 1.0f);
  EXPECT_EQ(PixelAt(*surface, 20, 32), kBlue);
  EXPECT_EQ(PixelAt(*surface, 32, 20), 0u);
}

TEST(CairoSurface, ImagesDrawWithSourceOffsetFittedAndRotated) {
  auto image = graphicstest::RedBlueImage(2);  // 2 x 1 editor units
  ASSERT_TRUE(image);
  auto surface = CreateImageSurface(8, 8);
  surface->SetScale(2.0);
  // The blue half only, at the image's own size; nothing past dst.
  surface->DrawImage(*image, {1, 1, 2, 2}, 1.0f, 0.0f, 1.0f);
  EXPECT_EQ(PixelAt(*surface, 2, 2), kBlue);
  EXPECT_EQ(PixelAt(*surface, 3, 3), kBlue);
  EXPECT_EQ(PixelAt(*surface, 4, 2), 0u);
  EXPECT_EQ(PixelAt(*surface, 1, 2), 0u);

  surface->Clear();
  surface->SetScale(1.0);
  surface->DrawImageFitted(*image, {0, 0, 8, 8}, 1.0f);
  EXPECT_EQ(PixelAt(*surface, 1, 4), kRed);
  EXPECT_EQ(PixelAt(*surface, 6, 4), kBlue);
  EXPECT_EQ(AlphaAt(*surface, 7, 7), 255);

  surface->Clear();
  surface->SetScale(2.0);
  surface->DrawImageRotated(*image, 1.0f, 0.5f, 180.0f, 1.0f);
  EXPECT_EQ(PixelAt(*surface, 0, 0), kBlue);
  EXPECT_EQ(PixelAt(*surface, 3, 1), kRed);

  surface->Clear();
  surface->DrawImage(*image, {0, 0, 2, 1}, 0.0f, 0.0f, 0.5f);
  EXPECT_NEAR(AlphaAt(*surface, 0, 0), 128, 1);
}

TEST(CairoSurface, BadArgumentsLeaveTheSurfaceUsable) {
  auto surface = CreateImageSurface(10, 10);
  surface->SetScale(0.0);  // ignored
  surface->SetScale(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(surface->GetScale(), 1.0);
  // A non-finite angle would leave cairo refusing every later call.
  surface->Ellipse(5, 5, 3, 3, std::numeric_limits<float>::infinity());
  surface->Fill(kRedColor, 1.0f);
  auto image = graphicstest::RedBlueImage(1);
  surface->DrawImageRotated(*image, 5, 5, std::numeric_limits<float>::quiet_NaN(), 1.0f);
  surface->DrawImageFitted(*image, {3, 3, 3, 3}, 1.0f);
  surface->Clear();
  surface->Rectangle({0, 0, 10, 10});
  surface->Fill(kRedColor, 1.0f);
  EXPECT_EQ(PixelAt(*surface, 9, 9), kRed);
}

TEST(CairoSurface, ResizeKeepsTheScaleAndRefusesImpossibleSizes) {
  auto surface = CreateImageSurface(4, 4);
  surface->SetScale(2.0);
  surface->ResizePixels(10, 6);
  EXPECT_EQ(surface->WidthPixels(), 10);
  EXPECT_EQ(surface->HeightPixels(), 6);
  surface->ResizePixels(-1, 5);
  surface->ResizePixels(1 << 20, 1 << 20);
  EXPECT_EQ(surface->WidthPixels(), 10);
  surface->Rectangle({4, 2, 5, 3});
  surface->Fill(kRedColor, 1.0f);
  EXPECT_EQ(PixelAt(*surface, 9, 5), kRed);
  EXPECT_FALSE(CreateImageSurface(-1, 4));
}
