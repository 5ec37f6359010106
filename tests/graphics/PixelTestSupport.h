// Reading pixels of a surface and making small test images.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "graphics/Drawing.h"
#include "support/ScratchFolder.h"

namespace graphicstest {

inline std::uint32_t PixelAt(const graphics::Surface& surface, int x, int y) {
  return surface.Pixels()[y * (surface.StrideBytes() / 4) + x];
}
inline int AlphaAt(const graphics::Surface& surface, int x, int y) {
  return static_cast<int>(PixelAt(surface, x, y) >> 24);
}

constexpr std::uint32_t kRed = 0xffff0000u, kBlue = 0xff0000ffu;

inline std::vector<unsigned char> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The PNG bytes of a surface, through a file.
inline std::vector<unsigned char> PngOf(const graphics::Surface& surface) {
  const std::string path = testsupport::ProgramScratchFolder("kalvo5-graphics") + "/image.png";
  if (!surface.WritePng(path)) return {};
  return ReadFile(path);
}

// A 4 x 2 pixel image: the left half red, the right half blue.
inline std::shared_ptr<const graphics::Image> RedBlueImage(int scale) {
  auto surface = graphics::CreateImageSurface(4, 2);
  surface->Rectangle({0, 0, 2, 2});
  surface->Fill({1, 0, 0, 1}, 1.0f);
  surface->BeginPath();
  surface->Rectangle({2, 0, 4, 2});
  surface->Fill({0, 0, 1, 1}, 1.0f);
  const std::vector<unsigned char> png = PngOf(*surface);
  return graphics::DecodePng(png.data(), png.size(), scale);
}

}  // namespace graphicstest
