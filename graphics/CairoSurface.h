// The cairo image surface behind CreateImageSurface. Internal to this
// library; the drawing calls are in CairoSurface.cpp, the text calls in
// CairoText.cpp. One thread at a time.
#pragma once

#include <cairo.h>

#include "Drawing.h"

namespace graphics {

class CairoSurface final : public Surface {
 public:
  // Takes over a usable ARGB32 image surface.
  explicit CairoSurface(cairo_surface_t* surface);
  ~CairoSurface() override;
  CairoSurface(const CairoSurface&) = delete;
  CairoSurface& operator=(const CairoSurface&) = delete;

  void SetScale(double scale) override;
  double GetScale() const override { return mScale; }
  void PushClip(const RectF& rect) override;
  void PopClip() override;

  void BeginPath() override;
  void MoveTo(float x, float y) override;
  void LineTo(float x, float y) override;
  void Arc(float cx, float cy, float radius, float fromDegrees, float toDegrees) override;
  void ClosePath() override;
  void Rectangle(const RectF& rect) override;
  void RoundedRectangle(const RectF& rect, const float (&radii)[4]) override;
  void Ellipse(float cx, float cy, float rx, float ry, float angleDegrees) override;
  void Fill(const Rgba& color, float weight) override;
  void Stroke(const Rgba& color, float thickness, float weight, bool dashed) override;

  void DrawImage(const Image& image, const RectF& dst, float srcX, float srcY, float weight) override;
  void DrawImageFitted(const Image& image, const RectF& dst, float weight) override;
  void DrawImageRotated(const Image& image, float cx, float cy, float angleDegrees, float weight) override;

  void DrawText(const TextFormat& format, const std::string& text, const RectF& rect) override;
  RectF MeasureText(const TextFormat& format, const std::string& text) override;

  void ResizePixels(int widthPixels, int heightPixels) override;
  int WidthPixels() const override;
  int HeightPixels() const override;
  const std::uint32_t* Pixels() const override;
  int StrideBytes() const override;
  void Clear() override;
  bool WritePng(const std::string& path) const override;

 private:
  void ApplyScale();
  // A cairo context that met an error (a singular matrix from a zero or
  // non-finite argument, say) ignores every later call; this replaces it with
  // a fresh one on the same pixels, losing the clips and the path.
  void RecoverFromError();
  void PaintImage(const RectF& clip, cairo_extend_t extend, float weight);

  cairo_surface_t* mSurface;
  cairo_t* mCr;
  double mScale = 1.0;
  int mClipDepth = 0;
};

// Keeps the path being built across an operation that needs cairo's path for
// itself (clipping, text), and puts it back afterwards. It holds the surface's
// context variable, not the context: an operation may replace the context
// (RecoverFromError), and the path goes to the one in use at the end.
class PathKeeper {
 public:
  explicit PathKeeper(cairo_t*& cr) : mCr(cr), mPath(cairo_copy_path(cr)) { cairo_new_path(cr); }
  ~PathKeeper() {
    cairo_new_path(mCr);
    if (mPath->status == CAIRO_STATUS_SUCCESS) cairo_append_path(mCr, mPath);
    cairo_path_destroy(mPath);
  }
  PathKeeper(const PathKeeper&) = delete;
  PathKeeper& operator=(const PathKeeper&) = delete;

 private:
  cairo_t*& mCr;
  cairo_path_t* mPath;
};

inline double D(float value) { return static_cast<double>(value); }
inline double Weight(float weight) { return weight < 0.0f ? 0.0 : weight > 1.0f ? 1.0 : D(weight); }

}  // namespace graphics
