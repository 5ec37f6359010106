// The process-wide font registry: TrueType faces loaded by FreeType from
// bytes in memory and wrapped as cairo font faces. Faces are never freed:
// cairo may still hold scaled fonts made from them, and a module registers
// only a handful.
#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <climits>
#include <map>
#include <mutex>

#include "CairoImage.h"

namespace graphics {
namespace {

struct RegisteredFont {
  const unsigned char* data;
  std::size_t size;
  cairo_font_face_t* face;
};

struct Registry {
  std::mutex lock;
  FT_Library library = nullptr;
  bool libraryFailed = false;
  std::map<std::string, RegisteredFont> fonts;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

// Loads the face; null when the bytes are not a scalable font. Called with the
// registry locked (FreeType's library object is not thread-safe).
cairo_font_face_t* LoadFace(Registry& registry, const unsigned char* data, std::size_t size) {
  if (registry.library == nullptr && !registry.libraryFailed) {
    registry.libraryFailed = FT_Init_FreeType(&registry.library) != 0;
  }
  if (registry.library == nullptr || size > static_cast<std::size_t>(LONG_MAX)) return nullptr;
  PrepareCairoLocks();
  FT_Face ftFace = nullptr;
  if (FT_New_Memory_Face(registry.library, data, static_cast<FT_Long>(size), 0, &ftFace) != 0) return nullptr;
  if (!FT_IS_SCALABLE(ftFace)) {
    FT_Done_Face(ftFace);
    return nullptr;
  }
  cairo_font_face_t* face = cairo_ft_font_face_create_for_ft_face(ftFace, 0);
  if (cairo_font_face_status(face) != CAIRO_STATUS_SUCCESS) {
    cairo_font_face_destroy(face);
    FT_Done_Face(ftFace);
    return nullptr;
  }
  return face;
}

}  // namespace

void PrepareCairoLocks() {
  static const bool prepared = [] {
    cairo_surface_destroy(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
    return true;
  }();
  static_cast<void>(prepared);
}

bool RegisterFont(const std::string& id, const unsigned char* data, std::size_t size) {
  if (id.empty() || data == nullptr || size == 0) return false;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  auto found = registry.fonts.find(id);
  // Every opening of an editor registers its fonts again: the same bytes
  // under the same id keep the face already made.
  if (found != registry.fonts.end() && found->second.data == data && found->second.size == size) return true;
  cairo_font_face_t* face = LoadFace(registry, data, size);
  if (face == nullptr) return false;
  // A replaced face stays alive: text drawn on another thread may use it.
  registry.fonts[id] = RegisteredFont{data, size, face};
  return true;
}

bool FontRegistered(const std::string& id) { return FindFontFace(id) != nullptr; }

cairo_font_face_t* FindFontFace(const std::string& id) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  auto found = registry.fonts.find(id);
  return found == registry.fonts.end() ? nullptr : found->second.face;
}

}  // namespace graphics
