#include "FontFaces.h"

#include <ft2build.h>
#include FT_FREETYPE_H

namespace manual {
namespace {

// One FreeType library for the process: cairo keeps faces in its caches
// after their last user has gone, so the library must outlive every face.
FT_Library Library() {
  static FT_Library library = [] {
    FT_Library made = nullptr;
    return FT_Init_FreeType(&made) == 0 ? made : nullptr;
  }();
  return library;
}

const cairo_user_data_key_t kFaceKey{};

void ReleaseFace(void* face) { FT_Done_Face(static_cast<FT_Face>(face)); }

cairo_font_face_t* Load(const std::string& path) {
  FT_Face face = nullptr;
  if (!Library() || FT_New_Face(Library(), path.c_str(), 0, &face) != 0) return nullptr;
  cairo_font_face_t* cairoFace = cairo_ft_font_face_create_for_ft_face(face, 0);
  // The FreeType face goes when cairo lets go of its face, not before.
  if (cairo_font_face_set_user_data(cairoFace, &kFaceKey, face, ReleaseFace) != CAIRO_STATUS_SUCCESS) {
    cairo_font_face_destroy(cairoFace);
    FT_Done_Face(face);
    return nullptr;
  }
  return cairoFace;
}

}  // namespace

FontFaces::FontFaces(const std::string& regularPath, const std::string& boldPath)
    : mRegular(Load(regularPath)), mBold(Load(boldPath)) {}

FontFaces::~FontFaces() {
  if (mRegular) cairo_font_face_destroy(mRegular);
  if (mBold) cairo_font_face_destroy(mBold);
}

}  // namespace manual
