// The two faces the artwork's and the manual's texts are set in, loaded from TrueType files
// through FreeType and wrapped as cairo font faces.
#pragma once

#include <cairo.h>

#include <string>

namespace resources {

enum class Face { Regular, Bold };

class Typefaces {
 public:
  // Loads both files; Ok() tells whether they could be read as fonts.
  Typefaces(const std::string& regularPath, const std::string& boldPath);
  ~Typefaces();
  Typefaces(const Typefaces&) = delete;
  Typefaces& operator=(const Typefaces&) = delete;

  bool Ok() const { return regular_ != nullptr && bold_ != nullptr; }
  cairo_font_face_t* Get(Face face) const { return face == Face::Bold ? bold_ : regular_; }

 private:
  cairo_font_face_t* regular_ = nullptr;
  cairo_font_face_t* bold_ = nullptr;
};

}  // namespace resources
