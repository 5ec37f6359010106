// A bitmap being drawn: its frames stacked vertically, two pixels per editor
// unit. Every call takes editor units relative to the current frame; edges on
// whole or half units fall on pixel boundaries, so they stay sharp when the
// editor shows the bitmap at another scale.
#pragma once

#include <cairo.h>

#include <string>
#include <vector>

#include "Palette.h"
#include "resources/Typefaces.h"

namespace artwork {

using resources::Face;
using resources::Typefaces;

// Pixels per editor unit in the stored bitmaps.
constexpr int kStoredScale = 2;

struct Box {
  double left = 0.0, top = 0.0, right = 0.0, bottom = 0.0;
  double Width() const { return right - left; }
  double Height() const { return bottom - top; }
  double CentreX() const { return (left + right) / 2.0; }
  double CentreY() const { return (top + bottom) / 2.0; }
  Box Inset(double d) const { return {left + d, top + d, right - d, bottom - d}; }
  Box Shifted(double dx, double dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
};

struct Font {
  Face face = Face::Regular;
  double size = 10.0;
};

enum class Align { Left, Centre, Right };

class Canvas {
 public:
  // A transparent bitmap of `frames` frames of width x height units.
  Canvas(int width, int height, int frames, const Typefaces& typefaces);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  Box Bounds() const { return {0.0, 0.0, static_cast<double>(width_), static_cast<double>(height_)}; }

  // Moves the origin to the top left of a frame and clips to it.
  void BeginFrame(int frame);
  // For paths and transforms the helpers below do not cover; leave it as
  // found (cairo_save / cairo_restore).
  cairo_t* Context() { return cr_; }

  void Fill(const Box& box, const Colour& colour, double radius = 0.0);
  void FillVertical(const Box& box, const Colour& top, const Colour& bottom, double radius = 0.0);
  // A border of the given thickness inside the box.
  void Outline(const Box& box, const Colour& colour, double thickness, double radius = 0.0);
  void FillCircle(double cx, double cy, double radius, const Colour& colour);
  // Fills the current path (built on Context()) and clears it.
  void FillPath(const Colour& colour);

  double TextWidth(const Font& font, const std::string& text);
  // The height of a capital letter, the part of the line a caption is
  // centred on.
  double CapHeight(const Font& font);
  // The font made smaller, if needed, so the text is at most maxWidth wide.
  Font Fitted(Font font, const std::string& text, double maxWidth);
  // Text on a baseline; x is its left edge, centre or right edge.
  void Text(const Font& font, const Colour& colour, const std::string& text, double x, double baseline,
            Align align);
  // Text centred vertically on its capitals in the box, aligned within it.
  void TextIn(const Font& font, const Colour& colour, const std::string& text, const Box& box,
              Align align = Align::Centre);

  bool WritePng(const std::string& path);

 private:
  void RoundedPath(const Box& box, double radius);
  void SelectFont(const Font& font);

  int width_, height_, frames_;
  const Typefaces& typefaces_;
  cairo_surface_t* surface_;
  cairo_t* cr_;
  bool inFrame_ = false;
};

}  // namespace artwork
