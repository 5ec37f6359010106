// Bitmaps and fonts: module resources first, files second; bitmaps cached
// process-wide by name and scale.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <list>
#include <map>
#include <mutex>

#include "Backend.h"
#include "IGraphics.h"

namespace igraphics {
namespace {

std::mutex& CacheLock() {
  static std::mutex lock;
  return lock;
}

// Keyed by the lower-case name and the target scale.
std::map<std::pair<std::string, int>, std::shared_ptr<const graphics::Image>>& BitmapCache() {
  static std::map<std::pair<std::string, int>, std::shared_ptr<const graphics::Image>> cache;
  return cache;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool ReadFile(const std::string& path, std::vector<unsigned char>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  bytes.clear();
  unsigned char buffer[16384];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  const bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

std::shared_ptr<const graphics::Image> LoadImageAt(const Backend& backend, const std::string& name,
                                                   int scale) {
  if (!backend.decodePng) return nullptr;
  const std::string scaledName = ScaledResourceName(name, scale);
  if (backend.findResource) {
    if (const graphics::Resource* resource = backend.findResource(scaledName))
      return backend.decodePng(resource->data, resource->size, scale);
  }
  std::vector<unsigned char> bytes;
  if (!ReadFile(scaledName, bytes) || bytes.empty()) return nullptr;
  return backend.decodePng(bytes.data(), bytes.size(), scale);
}

}  // namespace

std::string ScaledResourceName(const std::string& name, int scale) {
  if (scale == 1) return name;
  const std::size_t slash = name.find_last_of("/\\");
  std::size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = name.size();
  return name.substr(0, dot) + "@" + std::to_string(scale) + "x" + name.substr(dot);
}

std::vector<int> BitmapScaleSearchOrder(int targetScale) {
  std::vector<int> order{targetScale};
  if (targetScale != 3) order.push_back(3);
  for (int scale = std::max(targetScale, 3) - 1; scale >= 1; --scale)
    if (std::find(order.begin(), order.end(), scale) == order.end()) order.push_back(scale);
  return order;
}

void ClearBitmapCache() {
  std::lock_guard<std::mutex> guard(CacheLock());
  BitmapCache().clear();
}

Bitmap IGraphics::LoadBitmapResource(const std::string& name, int frames, bool framesHorizontal,
                                     int targetScale) {
  if (targetScale <= 0) targetScale = BitmapScale();
  Bitmap bitmap;
  bitmap.name = name;
  bitmap.frames = std::max(frames, 1);
  bitmap.framesHorizontal = framesHorizontal;
  bitmap.scale = targetScale;

  const auto key = std::make_pair(Lower(name), targetScale);
  {
    // Decoding runs under the lock too, so that two editors opening at once
    // decode an image only once.
    std::lock_guard<std::mutex> guard(CacheLock());
    auto& cache = BitmapCache();
    auto found = cache.find(key);
    if (found == cache.end()) {
      const Backend backend = GetBackend();
      std::shared_ptr<const graphics::Image> image;
      for (int scale : BitmapScaleSearchOrder(targetScale)) {
        image = LoadImageAt(backend, name, scale);
        if (!image) continue;
        if (scale != targetScale)
          image = backend.resampleImage ? backend.resampleImage(*image, targetScale) : nullptr;
        break;
      }
      if (!image) return bitmap;
      found = cache.emplace(key, std::move(image)).first;
    }
    bitmap.image = found->second;
  }
  bitmap.W = bitmap.image->WidthPixels() / targetScale;
  bitmap.H = bitmap.image->HeightPixels() / targetScale;
  return bitmap;
}

bool IGraphics::LoadFontResource(const std::string& fontId, const std::string& fileName) {
  const Backend backend = GetBackend();
  if (!backend.registerFont) return false;
  if (backend.fontRegistered && backend.fontRegistered(fontId)) return true;
  if (backend.findResource) {
    if (const graphics::Resource* resource = backend.findResource(fileName))
      return backend.registerFont(fontId, resource->data, resource->size);
  }
  // A font read from a file must stay in memory as long as the process.
  static std::mutex fileFontsLock;
  static std::list<std::vector<unsigned char>> fileFonts;
  std::vector<unsigned char> bytes;
  if (!ReadFile(fileName, bytes) || bytes.empty()) return false;
  std::lock_guard<std::mutex> guard(fileFontsLock);
  fileFonts.push_back(std::move(bytes));
  if (backend.registerFont(fontId, fileFonts.back().data(), fileFonts.back().size())) return true;
  fileFonts.pop_back();
  return false;
}

}  // namespace igraphics
