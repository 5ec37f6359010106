// The editor drawing through the real back end, off-screen: a filled label
// reaches the pixels, and the surface can be written as a PNG.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "framework/igraphics/Backend.h"
#include "framework/igraphics/IGEditorDelegate.h"
#include "framework/igraphics/IGraphics.h"
#include "framework/igraphics/ITextControl.h"

using namespace igraphics;

TEST(RealBackend, DrawsOffScreenAndWritesAPng) {
  InstallGraphicsBackend();
  IGEditorDelegate delegate(1);
  auto surface = GetBackend().createImageSurface(1, 1);
  ASSERT_NE(surface, nullptr);
  IGraphics ui(delegate, 616, 352, 60, 1.0f, std::move(surface));
  ui.AttachControl(std::make_unique<ITextControl>(Rect{0, 0, 616, 352}, "", TextStyle{}, kColorWhite));
  ui.AttachControl(
      std::make_unique<ITextControl>(Rect{10, 10, 110, 30}, "", TextStyle{}, Color{255, 255, 0, 0}));
  ASSERT_TRUE(ui.Draw());
  const graphics::Surface& pixels = *ui.GetSurface();
  ASSERT_EQ(pixels.WidthPixels(), 616);
  ASSERT_EQ(pixels.HeightPixels(), 352);
  auto at = [&](int x, int y) { return pixels.Pixels()[y * pixels.StrideBytes() / 4 + x]; };
  EXPECT_EQ(at(50, 20), 0xFFFF0000u);    // red label
  EXPECT_EQ(at(300, 200), 0xFFFFFFFFu);  // white background

  const auto path = std::filesystem::temp_directory_path() / "kalvo5-igraphics-real-backend.png";
  EXPECT_TRUE(ui.WritePng(path.string()));
  EXPECT_GT(std::filesystem::file_size(path), 0u);
  std::filesystem::remove(path);
  SetBackend({});
}
