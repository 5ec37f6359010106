#include "Typefaces.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace resources {
namespace {

// One FreeType library for the program. It is never released: cairo keeps
// font faces in its own caches past the point where ours are destroyed, and
// the faces must not outlive their library.
FT_Library Library() {
  static FT_Library library = [] {
    FT_Library made = nullptr;
    return FT_Init_FreeType(&made) == 0 ? made : nullptr;
  }();
  return library;
}

const cairo_user_data_key_t kFreeTypeFaceKey{};

void ReleaseFreeTypeFace(void* face) { FT_Done_Face(static_cast<FT_Face>(face)); }

// The cairo face of a font file; null when the file is missing or no
// scalable font.
cairo_font_face_t* Load(const std::string& path) {
  FT_Library library = Library();
  if (library == nullptr) return nullptr;
  FT_Face ftFace = nullptr;
  if (FT_New_Face(library, path.c_str(), 0, &ftFace) != 0) return nullptr;
  if (!FT_IS_SCALABLE(ftFace)) {
    FT_Done_Face(ftFace);
    return nullptr;
  }
  cairo_font_face_t* face = cairo_ft_font_face_create_for_ft_face(ftFace, 0);
  // The FreeType face lives exactly as long as cairo's face.
  if (cairo_font_face_status(face) != CAIRO_STATUS_SUCCESS ||
      cairo_font_face_set_user_data(face, &kFreeTypeFaceKey, ftFace, ReleaseFreeTypeFace) !=
          CAIRO_STATUS_SUCCESS) {
    cairo_font_face_destroy(face);
    FT_Done_Face(ftFace);
    return nullptr;
  }
  return face;
}

}  // namespace

Typefaces::Typefaces(const std::string& regularPath, const std::string& boldPath)
    : regular_(Load(regularPath)), bold_(Load(boldPath)) {}

Typefaces::~Typefaces() {
  if (regular_ != nullptr) cairo_font_face_destroy(regular_);
  if (bold_ != nullptr) cairo_font_face_destroy(bold_);
}

}  // namespace resources
