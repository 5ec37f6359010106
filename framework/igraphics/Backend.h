// The back-end functions the editor framework calls (decoders, resources,
// fonts, the native window). They are looked up through this table, filled
// once per process by InstallGraphicsBackend (GraphicsBackend.cpp, which
// links the real back end) or by a test with fakes. An empty entry makes the
// operation fail quietly (no image, no font, no window).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "graphics/Drawing.h"
#include "graphics/Resources.h"
#include "graphics/Window.h"

namespace igraphics {

struct Backend {
  std::function<const graphics::Resource*(std::string_view name)> findResource;
  std::function<std::shared_ptr<const graphics::Image>(const unsigned char* data, std::size_t size,
                                                       int scale)>
      decodePng;
  std::function<std::shared_ptr<const graphics::Image>(const graphics::Image& image, int scale)>
      resampleImage;
  std::function<bool(const std::string& id, const unsigned char* data, std::size_t size)> registerFont;
  std::function<bool(const std::string& id)> fontRegistered;
  std::function<std::unique_ptr<graphics::Window>(std::uintptr_t parent, int widthPixels, int heightPixels,
                                                  std::string& error)>
      openChildWindow;
  std::function<std::unique_ptr<graphics::Surface>(int widthPixels, int heightPixels)> createImageSurface;
  // The screen's scale for a window not yet opened.
  std::function<double()> defaultScreenScale;
};

// Replaces the process-wide table (before any editor exists; main thread).
void SetBackend(Backend backend);
// A copy of the current table (any thread).
Backend GetBackend();

// The back end's screen scale for a window not yet opened; 1 without one.
double DefaultScreenScale();

// Fills the table with the real back end (defined in GraphicsBackend.cpp,
// which only the library linked with kalvo5_graphics contains).
void InstallGraphicsBackend();

}  // namespace igraphics
