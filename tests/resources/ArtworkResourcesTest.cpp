#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "graphics/Drawing.h"
#include "graphics/Resources.h"
#include "resources/artwork/ArtworkResources.h"

namespace {

struct Expected {
  const char* name;
  int frames, width, height;  // frame size in editor units
};

// The bitmaps the editor's layout loads, with the frame counts and sizes it
// relies on.
constexpr Expected kBitmaps[] = {
    {"background0", 1, 616, 352},
    {"background3", 1, 616, 352},
    {"background1", 1, 615, 351},
    {"background2", 1, 616, 352},
    {"meterlabelpk", 1, 22, 222},
    {"meterlabeltp", 1, 22, 222},
    {"button_resize", 2, 16, 16},
    {"pluginmenu", 2, 24, 24},
    {"button_previous", 2, 24, 24},
    {"button_next", 2, 24, 24},
    {"iconupdateavailable", 2, 12, 24},
    {"pluginmode", 3, 32, 18},
    {"offon", 2, 32, 18},
    {"reset", 2, 64, 18},
    {"rmschmode", 5, 48, 18},
    {"ebuchmode", 5, 48, 18},
    {"dialchmode", 5, 48, 18},
    {"rmsmode", 3, 48, 18},
    {"rmsfilter", 7, 64, 18},
    {"value", 1, 80, 18},
    {"match", 2, 12, 12},
    {"clip", 2, 16, 5},
    {"clip1", 2, 16, 5},
    {"meter0", 1, 16, 216},
    {"meter1", 1, 16, 216},
};

std::shared_ptr<const graphics::Image> Decoded(const std::string& name) {
  resources::RegisterArtworkResources();
  const graphics::Resource* resource = graphics::FindResource(name + "@2x.png");
  if (resource == nullptr) return nullptr;
  return graphics::DecodePng(resource->data, resource->size, 2);
}

// The stored pixels of a bitmap, one surface pixel for each.
class Pixels {
 public:
  explicit Pixels(const std::string& name) {
    const auto image = Decoded(name);
    if (image == nullptr) return;
    surface_ = graphics::CreateImageSurface(image->WidthPixels(), image->HeightPixels());
    surface_->SetScale(2.0);
    const graphics::RectF whole{0.0f, 0.0f, static_cast<float>(image->WidthPixels()) / 2.0f,
                                static_cast<float>(image->HeightPixels()) / 2.0f};
    surface_->DrawImage(*image, whole, 0.0f, 0.0f, 1.0f);
  }
  bool Ok() const { return surface_ != nullptr; }
  int Width() const { return surface_->WidthPixels(); }
  int Height() const { return surface_->HeightPixels(); }
  std::uint32_t At(int x, int y) const { return surface_->Pixels()[y * (surface_->StrideBytes() / 4) + x]; }
  int Alpha(int x, int y) const { return Channel(x, y, 24); }
  int Red(int x, int y) const { return Channel(x, y, 16); }
  int Green(int x, int y) const { return Channel(x, y, 8); }
  int Blue(int x, int y) const { return Channel(x, y, 0); }
  int Brightness(int x, int y) const { return Red(x, y) + Green(x, y) + Blue(x, y); }

 private:
  int Channel(int x, int y, int shift) const { return static_cast<int>((At(x, y) >> shift) & 0xffu); }
  std::unique_ptr<graphics::Surface> surface_;
};

// How many pixels of frame a differ from the same pixels of frame b.
int DifferingPixels(const Pixels& pixels, int frameHeight, int a, int b) {
  int count = 0;
  for (int y = 0; y < frameHeight; ++y) {
    for (int x = 0; x < pixels.Width(); ++x) {
      count += pixels.At(x, a * frameHeight + y) != pixels.At(x, b * frameHeight + y);
    }
  }
  return count;
}

}  // namespace

TEST(ArtworkResources, EveryBitmapDecodesAtTwiceItsFrameSizeWithItsFramesStacked) {
  for (const Expected& bitmap : kBitmaps) {
    SCOPED_TRACE(bitmap.name);
    const auto image = Decoded(bitmap.name);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->WidthPixels(), 2 * bitmap.width);
    EXPECT_EQ(image->HeightPixels(), 2 * bitmap.height * bitmap.frames);
  }
}

TEST(ArtworkResources, EveryFrameOfAMultiFrameBitmapLooksDifferent) {
  for (const Expected& bitmap : kBitmaps) {
    if (bitmap.frames < 2) continue;
    SCOPED_TRACE(bitmap.name);
    const Pixels pixels(bitmap.name);
    ASSERT_TRUE(pixels.Ok());
    for (int a = 0; a < bitmap.frames; ++a) {
      for (int b = a + 1; b < bitmap.frames; ++b) {
        EXPECT_GT(DifferingPixels(pixels, 2 * bitmap.height, a, b), 10) << "frames " << a << " and " << b;
      }
    }
  }
}

TEST(ArtworkResources, BackgroundsAreOpaqueEverywhere) {
  for (const char* name : {"background0", "background1", "background2", "background3"}) {
    SCOPED_TRACE(name);
    const Pixels pixels(name);
    ASSERT_TRUE(pixels.Ok());
    int transparent = 0;
    for (int y = 0; y < pixels.Height(); ++y) {
      for (int x = 0; x < pixels.Width(); ++x) transparent += pixels.Alpha(x, y) != 255;
    }
    EXPECT_EQ(transparent, 0);
  }
}

namespace {

struct Area {
  int left, top, right, bottom;  // editor units
};

// Where the editor draws live controls and texts over every page.
constexpr Area kSharedLiveAreas[] = {
    {7, 7, 31, 31},        // plug-in menu button
    {239, 7, 397, 31},     // preset name
    {423, 7, 475, 31},     // preset arrows
    {601, 7, 613, 31},     // update light
    {13, 69, 597, 87},     // settings row
    {312, 328, 376, 346},  // reset button
    {592, 93, 614, 315},   // scale caption
    {406, 93, 586, 105},   // channel labels
    {400, 333, 590, 345},  // meter value texts
};

// The read-outs, units and Match buttons of the pages.
constexpr Area kRmsLiveAreas[] = {
    {25, 142, 125, 177},  {19, 185, 31, 197},   {89, 184, 131, 197},  {145, 142, 245, 177},
    {209, 184, 251, 197}, {265, 142, 365, 177}, {259, 185, 271, 197}, {329, 184, 371, 197},
    {25, 250, 125, 285},  {19, 293, 31, 305},   {99, 292, 131, 305},  {145, 250, 245, 285},
    {139, 293, 151, 305}, {219, 292, 251, 305}, {265, 250, 365, 285}, {339, 292, 371, 305},
};
constexpr Area kLoudnessLiveAreas[] = {
    {25, 142, 125, 177},  {19, 185, 31, 197},   {99, 184, 131, 197},  {145, 142, 245, 177},
    {219, 184, 251, 197}, {265, 142, 365, 177}, {259, 185, 271, 197}, {339, 184, 371, 197},
    {25, 250, 94, 285},   {68, 292, 100, 305},  {115, 250, 184, 285}, {109, 293, 121, 305},
    {159, 292, 191, 305}, {205, 250, 274, 285}, {199, 293, 211, 305}, {249, 292, 281, 305},
    {295, 250, 364, 285}, {339, 292, 371, 305},
};

// The first row of the area whose pixels are not all alike (a caption, tick
// or edge drawn into it), or -1 when every row is plain.
int FirstUnevenRow(const Pixels& pixels, const Area& area) {
  for (int y = 2 * area.top; y < 2 * area.bottom; ++y) {
    for (int x = 2 * area.left + 1; x < 2 * area.right; ++x) {
      if (pixels.At(x, y) != pixels.At(2 * area.left, y)) return y / 2;
    }
  }
  return -1;
}

void ExpectPlain(const Pixels& pixels, std::span<const Area> areas) {
  for (const Area& area : areas) {
    EXPECT_EQ(FirstUnevenRow(pixels, area), -1)
        << "in " << area.left << ", " << area.top << ", " << area.right << ", " << area.bottom;
  }
}

}  // namespace

// The static captions stay where the editor draws nothing, so no live text
// or control ever lands on one.
TEST(ArtworkResources, BackgroundsLeaveTheLiveControlsOnPlainGround) {
  const struct {
    const char* name;
    std::span<const Area> pageAreas;
  } pages[] = {{"background0", kRmsLiveAreas},
               {"background3", kRmsLiveAreas},
               {"background1", kLoudnessLiveAreas},
               {"background2", kLoudnessLiveAreas}};
  for (const auto& page : pages) {
    SCOPED_TRACE(page.name);
    const Pixels pixels(page.name);
    ASSERT_TRUE(pixels.Ok());
    ExpectPlain(pixels, kSharedLiveAreas);
    ExpectPlain(pixels, page.pageAreas);
  }
}

// 0 dB lies 36 units (72 pixels) below the top of a bar: the colour changes
// exactly there, and the level bar is red above it, amber below.
TEST(ArtworkResources, MeterBarsChangeColourAtZeroDecibels) {
  constexpr int kZeroRow = 72, kMiddle = 16;
  for (const char* name : {"meter0", "meter1"}) {
    SCOPED_TRACE(name);
    const Pixels bar(name);
    ASSERT_TRUE(bar.Ok());
    // Lit rows of one segment on each side of the line.
    const int above = kZeroRow - 3, below = kZeroRow, belowToo = kZeroRow + 3;
    EXPECT_NE(bar.At(kMiddle, above), bar.At(kMiddle, below));
    EXPECT_EQ(bar.At(kMiddle, below), bar.At(kMiddle, belowToo));
    EXPECT_EQ(bar.Alpha(kMiddle, below), 255);
  }
  const Pixels level("meter0");
  ASSERT_TRUE(level.Ok());
  EXPECT_GT(level.Red(kMiddle, kZeroRow - 3), 2 * level.Green(kMiddle, kZeroRow - 3));
  EXPECT_GT(level.Green(kMiddle, kZeroRow), level.Red(kMiddle, kZeroRow) / 2);
  EXPECT_GT(level.Red(kMiddle, kZeroRow), level.Blue(kMiddle, kZeroRow) * 2);
  // Green at the foot.
  EXPECT_GT(level.Green(kMiddle, 2 * 210), level.Red(kMiddle, 2 * 210));
}

TEST(ArtworkResources, ClipLightsAreBrighterLit) {
  for (const char* name : {"clip", "clip1"}) {
    SCOPED_TRACE(name);
    const Pixels light(name);
    ASSERT_TRUE(light.Ok());
    constexpr int kFrameHeight = 10;
    const int x = 16, y = 6;
    EXPECT_GT(light.Brightness(x, kFrameHeight + y), 2 * light.Brightness(x, y));
  }
}
