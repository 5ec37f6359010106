#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "PixelTestSupport.h"
#include "graphics/Drawing.h"
#include "graphics/FontResources.h"
#include "graphics/Resources.h"

using graphics::CreateImageSurface;
using graphics::FindResource;
using graphics::RectF;
using graphics::TextFormat;
using graphicstest::AlphaAt;
using graphicstest::PixelAt;

namespace {

const graphics::Resource& Font(const char* name) {
  graphics::RegisterFontResources();
  const graphics::Resource* resource = FindResource(name);
  if (resource == nullptr) throw std::runtime_error(std::string("no resource ") + name);
  return *resource;
}

void RegisterRoboto() {
  const graphics::Resource& roboto = Font("Roboto-Regular.ttf");
  ASSERT_TRUE(graphics::RegisterFont("Roboto-Regular", roboto.data, roboto.size));
}

// The box around every pixel at least half covered.
struct Ink {
  int count = 0, left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};
Ink InkOf(const graphics::Surface& surface) {
  Ink ink;
  for (int y = 0; y < surface.HeightPixels(); ++y) {
    for (int x = 0; x < surface.WidthPixels(); ++x) {
      if (AlphaAt(surface, x, y) < 128) continue;
      ++ink.count;
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x + 1);
      ink.top = std::min(ink.top, y);
      ink.bottom = std::max(ink.bottom, y + 1);
    }
  }
  return ink;
}

}  // namespace

TEST(Resources, EmbeddedFilesAreFoundWithoutRegardToCase) {
  graphics::RegisterFontResources();
  graphics::RegisterFontResources();  // harmless again
  const graphics::Resource* roboto = FindResource("ROBOTO-regular.TTF");
  ASSERT_NE(roboto, nullptr);
  EXPECT_STREQ(roboto->name, "Roboto-Regular.ttf");
  ASSERT_GT(roboto->size, 10000u);
  const unsigned char trueType[4] = {0, 1, 0, 0};
  EXPECT_EQ(std::memcmp(roboto->data, trueType, 4), 0);
  // A stand-in is found under the layout's name too, with the same bytes.
  const graphics::Resource* bold = FindResource("VerdanaB.ttf");
  ASSERT_NE(bold, nullptr);
  EXPECT_EQ(bold->data, FindResource("dejavusans-bold.ttf")->data);
  EXPECT_NE(FindResource("Repetition-Scrolling.ttf"), nullptr);
  EXPECT_EQ(FindResource("Roboto-Regular"), nullptr);
  EXPECT_EQ(FindResource("Roboto-Regular.ttf.png"), nullptr);
  EXPECT_EQ(FindResource(""), nullptr);

  static const unsigned char bytes[3] = {1, 2, 3};
  static const graphics::Resource table[1] = {{"Extra@2X.PNG", bytes, 3}};
  graphics::AddResources(table, 1);
  ASSERT_NE(FindResource("extra@2x.png"), nullptr);
  EXPECT_EQ(FindResource("extra@2x.png")->size, 3u);
}

TEST(Fonts, RegistrationRefusesBytesThatAreNotAFont) {
  static const unsigned char garbage[64] = {0, 1, 0, 0, 'x', 'y'};
  EXPECT_FALSE(graphics::RegisterFont("Garbage", garbage, sizeof garbage));
  EXPECT_FALSE(graphics::FontRegistered("Garbage"));
  EXPECT_FALSE(graphics::RegisterFont("Empty", garbage, 0));
  const graphics::Resource& sans = Font("verdana.ttf");
  EXPECT_FALSE(graphics::RegisterFont("", sans.data, sans.size));
  EXPECT_TRUE(graphics::RegisterFont("Verdana Normal", sans.data, sans.size));
  EXPECT_TRUE(graphics::RegisterFont("Verdana Normal", sans.data, sans.size));
  EXPECT_TRUE(graphics::FontRegistered("Verdana Normal"));
  // A failed replacement keeps the face already registered.
  EXPECT_FALSE(graphics::RegisterFont("Verdana Normal", garbage, sizeof garbage));
  EXPECT_TRUE(graphics::FontRegistered("Verdana Normal"));
}

TEST(Text, CoversTheSameBoxAtTwiceTheScaleWithFourTimesTheInk) {
  RegisterRoboto();
  TextFormat format;
  format.size = 20.0f;
  format.hAlign = graphics::HAlign::Center;
  format.vAlign = graphics::VAlign::Middle;
  Ink inks[2];
  for (int i = 0; i < 2; ++i) {
    const int scale = i + 1;
    auto surface = CreateImageSurface(200 * scale, 40 * scale);
    surface->SetScale(scale);
    surface->DrawText(format, "HHHH", {0, 0, 200, 40});
    inks[i] = InkOf(*surface);
    const RectF measured = surface->MeasureText(format, "HHHH");
    // The ink lies within the measured box, centred in the rectangle.
    EXPECT_GT(measured.Width(), 40.0f);
    EXPECT_LT(measured.Width(), 70.0f);
    EXPECT_NEAR(inks[i].left + inks[i].right, 200 * scale, 3 * scale);
    EXPECT_NEAR(inks[i].top + inks[i].bottom, 40 * scale, 4 * scale);
    EXPECT_LE(inks[i].right - inks[i].left, measured.Width() * static_cast<float>(scale));
    EXPECT_LE(inks[i].bottom - inks[i].top, measured.Height() * static_cast<float>(scale));
  }
  ASSERT_GT(inks[0].count, 100);
  EXPECT_NEAR(static_cast<double>(inks[1].count) / inks[0].count, 4.0, 0.6);
  EXPECT_NEAR(inks[1].right - inks[1].left, 2 * (inks[0].right - inks[0].left), 3);
}

TEST(Text, AlignmentPlacesTheTextAtTheNamedEdges) {
  RegisterRoboto();
  TextFormat format;
  format.size = 16.0f;
  format.hAlign = graphics::HAlign::Far;
  format.vAlign = graphics::VAlign::Top;
  auto surface = CreateImageSurface(100, 40);
  surface->DrawText(format, "0", {0, 0, 100, 40});
  Ink ink = InkOf(*surface);
  EXPECT_GE(ink.right, 92);
  EXPECT_LE(ink.top, 6);

  surface->Clear();
  format.hAlign = graphics::HAlign::Near;
  format.vAlign = graphics::VAlign::Bottom;
  surface->DrawText(format, "0", {0, 0, 100, 40});
  ink = InkOf(*surface);
  EXPECT_LE(ink.left, 4);
  EXPECT_GE(ink.bottom, 32);

  surface->Clear();
  format.hAlign = graphics::HAlign::Center;
  format.vAlign = graphics::VAlign::Middle;
  format.angleDegrees = 90.0f;
  surface->DrawText(format, "HHHHHH", {20, 0, 80, 40});
  ink = InkOf(*surface);
  EXPECT_GT(ink.bottom - ink.top, ink.right - ink.left);  // standing upright
}

TEST(Text, NothingForEmptyTextUnknownFontOrBrokenBytes) {
  RegisterRoboto();
  auto surface = CreateImageSurface(60, 20);
  TextFormat format;
  surface->DrawText(format, "", {0, 0, 60, 20});
  EXPECT_EQ(surface->MeasureText(format, "").Width(), 0.0f);
  TextFormat unknown;
  unknown.fontId = "No Such Font";
  surface->DrawText(unknown, "abc", {0, 0, 60, 20});
  EXPECT_EQ(surface->MeasureText(unknown, "abc").Width(), 0.0f);
  EXPECT_EQ(InkOf(*surface).count, 0);
  // Bytes that are not UTF-8 are drawn as replacement characters and do not
  // stop the surface from drawing afterwards.
  surface->DrawText(format, "a\xff\xc3", {0, 0, 60, 20});
  EXPECT_GT(surface->MeasureText(format, "\xe2\x82").Width(), 0.0f);
  surface->Clear();
  surface->Rectangle({0, 0, 60, 20});
  surface->Fill({1, 0, 0, 1}, 1.0f);
  EXPECT_EQ(PixelAt(*surface, 59, 19), graphicstest::kRed);
}

TEST(Images, PngRoundTripKeepsPixelsAndRefusesOtherBytes) {
  auto surface = CreateImageSurface(5, 3);
  surface->Rectangle({1, 1, 3, 2});
  surface->Fill({0, 0.5, 1, 0.5}, 1.0f);
  const std::vector<unsigned char> png = graphicstest::PngOf(*surface);
  auto image = graphics::DecodePng(png.data(), png.size(), 2);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->WidthPixels(), 5);
  EXPECT_EQ(image->HeightPixels(), 3);
  EXPECT_EQ(image->Scale(), 2);
  auto copy = CreateImageSurface(5, 3);
  copy->SetScale(2.0);
  copy->DrawImage(*image, {0, 0, 2.5f, 1.5f}, 0, 0, 1.0f);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) EXPECT_EQ(PixelAt(*copy, x, y), PixelAt(*surface, x, y)) << x << "," << y;
  }

  EXPECT_FALSE(graphics::DecodePng(png.data(), png.size() / 2, 1));
  const unsigned char notPng[16] = {'G', 'I', 'F', '8', '9', 'a'};
  EXPECT_FALSE(graphics::DecodePng(notPng, sizeof notPng, 1));
  EXPECT_FALSE(graphics::DecodePng(nullptr, 0, 1));
}

TEST(Images, ResamplingScalesThePixelSize) {
  auto image = graphicstest::RedBlueImage(2);
  auto half = graphics::ResampleImage(*image, 1);
  ASSERT_TRUE(half);
  EXPECT_EQ(half->WidthPixels(), 2);
  EXPECT_EQ(half->HeightPixels(), 1);
  EXPECT_EQ(half->Scale(), 1);
  auto larger = graphics::ResampleImage(*image, 3);
  ASSERT_TRUE(larger);
  EXPECT_EQ(larger->WidthPixels(), 6);
  EXPECT_EQ(larger->HeightPixels(), 3);
  // Resampled colours stay where they were, edges included.
  auto surface = CreateImageSurface(6, 3);
  surface->SetScale(3.0);
  surface->DrawImage(*larger, {0, 0, 2, 1}, 0, 0, 1.0f);
  EXPECT_EQ(PixelAt(*surface, 0, 0), graphicstest::kRed);
  EXPECT_EQ(PixelAt(*surface, 5, 2), graphicstest::kBlue);
  EXPECT_FALSE(graphics::ResampleImage(*image, 0));
}
