// Window captures kept as binary PPM files (P6, 8 bits a channel), so that a
// capture made by one build's test can be compared by another build's test.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace testsupport {

struct RgbImage {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3, rows top to bottom
};

inline bool WritePpm(const std::string& path, const RgbImage& image) {
  std::ofstream file(path, std::ios::binary);
  file << "P6\n" << image.width << ' ' << image.height << "\n255\n";
  file.write(reinterpret_cast<const char*>(image.rgb.data()), static_cast<std::streamsize>(image.rgb.size()));
  return static_cast<bool>(file);
}

inline bool ReadPpm(const std::string& path, RgbImage& image) {
  std::ifstream file(path, std::ios::binary);
  std::string magic;
  int maximum = 0;
  if (!(file >> magic >> image.width >> image.height >> maximum) || magic != "P6" || maximum != 255 ||
      image.width <= 0 || image.height <= 0 || image.width > 16384 || image.height > 16384)
    return false;
  file.get();  // the one white-space character before the pixels
  image.rgb.resize(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3);
  file.read(reinterpret_cast<char*>(image.rgb.data()), static_cast<std::streamsize>(image.rgb.size()));
  return static_cast<bool>(file);
}

}  // namespace testsupport
