// The cairo form of Image, shared by the decoders and the surface that draws
// them. Internal to this library.
#pragma once

#include <cairo.h>

#include <memory>

#include "Drawing.h"

namespace graphics {

class CairoImage final : public Image {
 public:
  // Takes over one reference to `surface` (an ARGB32 image surface).
  CairoImage(cairo_surface_t* surface, int scale) : mSurface(surface), mScale(scale) {}
  ~CairoImage() override { cairo_surface_destroy(mSurface); }
  CairoImage(const CairoImage&) = delete;
  CairoImage& operator=(const CairoImage&) = delete;

  int WidthPixels() const override { return cairo_image_surface_get_width(mSurface); }
  int HeightPixels() const override { return cairo_image_surface_get_height(mSurface); }
  int Scale() const override { return mScale; }
  cairo_surface_t* CairoSurface() const { return mSurface; }

 private:
  cairo_surface_t* mSurface;
  int mScale;
};

// Makes sure cairo has set up its locks before a font face is made: the
// cairo built statically for Windows sets them up with its first surface,
// and its FreeType fonts made before that wait for ever on a lock. Any
// thread.
void PrepareCairoLocks();

// The registered face for a font id; null when none. The face lives as long
// as the process. Any thread.
cairo_font_face_t* FindFontFace(const std::string& id);

}  // namespace graphics
