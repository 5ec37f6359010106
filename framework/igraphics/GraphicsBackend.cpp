// The real back end behind the framework's function table.
#include "Backend.h"

namespace igraphics {

void InstallGraphicsBackend() {
  Backend backend;
  backend.findResource = [](std::string_view name) { return graphics::FindResource(name); };
  backend.decodePng = [](const unsigned char* data, std::size_t size, int scale) {
    return graphics::DecodePng(data, size, scale);
  };
  backend.resampleImage = [](const graphics::Image& image, int scale) {
    return graphics::ResampleImage(image, scale);
  };
  backend.registerFont = [](const std::string& id, const unsigned char* data, std::size_t size) {
    return graphics::RegisterFont(id, data, size);
  };
  backend.fontRegistered = [](const std::string& id) { return graphics::FontRegistered(id); };
  backend.openChildWindow = [](std::uintptr_t parent, int width, int height, std::string& error) {
    return graphics::OpenChildWindow(parent, width, height, error);
  };
  backend.createImageSurface = [](int width, int height) {
    return graphics::CreateImageSurface(width, height);
  };
  backend.defaultScreenScale = [] { return graphics::DefaultScreenScale(); };
  SetBackend(std::move(backend));
}

}  // namespace igraphics
