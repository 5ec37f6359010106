// The two faces the manual is set in, loaded with FreeType and handed to
// cairo.
#pragma once

#include <cairo-ft.h>

#include <string>

namespace manual {

class FontFaces {
 public:
  FontFaces(const std::string& regularPath, const std::string& boldPath);
  ~FontFaces();
  FontFaces(const FontFaces&) = delete;
  FontFaces& operator=(const FontFaces&) = delete;

  // False when a file could not be loaded.
  bool Loaded() const { return mRegular && mBold; }
  cairo_font_face_t* Regular() const { return mRegular; }
  cairo_font_face_t* Bold() const { return mBold; }

 private:
  cairo_font_face_t* mRegular = nullptr;
  cairo_font_face_t* mBold = nullptr;
};

}  // namespace manual
