// Drawing on a cairo image surface. The context's matrix is always the
// editor scale, so every call takes editor units; clips are cairo save/restore
// pairs, after which the scale is applied again (it may have changed inside).
#include "CairoSurface.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "CairoImage.h"

namespace graphics {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Degrees clockwise from 12 o'clock to cairo's radians (clockwise from 3
// o'clock on a y-down surface).
double CairoAngle(float degrees) { return (D(degrees) - 90.0) * kPi / 180.0; }

void SetColor(cairo_t* cr, const Rgba& color, float weight) {
  cairo_set_source_rgba(cr, color.r, color.g, color.b, color.a * Weight(weight));
}

// Sets how the image source is sampled. A context in error hands out a new
// pattern from cairo_get_source that nobody frees, so it is not asked.
void SetSampling(cairo_t* cr, cairo_extend_t extend) {
  if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) return;
  cairo_pattern_t* source = cairo_get_source(cr);
  cairo_pattern_set_filter(source, CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(source, extend);
}

const CairoImage* AsCairo(const Image& image) {
  const auto* cairoImage = dynamic_cast<const CairoImage*>(&image);
  if (cairoImage == nullptr || image.WidthPixels() < 1 || image.HeightPixels() < 1) return nullptr;
  return cairoImage;
}

}  // namespace

CairoSurface::CairoSurface(cairo_surface_t* surface) : mSurface(surface), mCr(cairo_create(surface)) {}

CairoSurface::~CairoSurface() {
  cairo_destroy(mCr);
  cairo_surface_destroy(mSurface);
}

std::unique_ptr<Surface> CreateImageSurface(int widthPixels, int heightPixels) {
  if (widthPixels < 0 || heightPixels < 0) return nullptr;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, widthPixels, heightPixels);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  return std::make_unique<CairoSurface>(surface);
}

void CairoSurface::ApplyScale() {
  cairo_identity_matrix(mCr);
  cairo_scale(mCr, mScale, mScale);
}

void CairoSurface::RecoverFromError() {
  if (cairo_status(mCr) == CAIRO_STATUS_SUCCESS) return;
  cairo_destroy(mCr);
  mCr = cairo_create(mSurface);
  mClipDepth = 0;
  ApplyScale();
}

void CairoSurface::SetScale(double scale) {
  if (!(scale > 0.0) || !std::isfinite(scale)) return;
  mScale = scale;
  ApplyScale();  // the path being built is kept in pixels: it stays put
}

void CairoSurface::PushClip(const RectF& rect) {
  PathKeeper keep(mCr);
  cairo_save(mCr);
  ++mClipDepth;
  cairo_rectangle(mCr, D(rect.left), D(rect.top), D(rect.Width()), D(rect.Height()));
  cairo_clip(mCr);
  RecoverFromError();
}

void CairoSurface::PopClip() {
  // An unmatched pop must not undo cairo's own base state.
  if (mClipDepth == 0) return;
  cairo_restore(mCr);  // cairo's path is not part of the saved state
  --mClipDepth;
  ApplyScale();
}

void CairoSurface::BeginPath() { cairo_new_path(mCr); }
void CairoSurface::MoveTo(float x, float y) { cairo_move_to(mCr, D(x), D(y)); }
void CairoSurface::LineTo(float x, float y) { cairo_line_to(mCr, D(x), D(y)); }
void CairoSurface::ClosePath() { cairo_close_path(mCr); }

void CairoSurface::Arc(float cx, float cy, float radius, float fromDegrees, float toDegrees) {
  cairo_arc(mCr, D(cx), D(cy), D(radius), CairoAngle(fromDegrees), CairoAngle(toDegrees));
  RecoverFromError();
}

void CairoSurface::Rectangle(const RectF& rect) {
  cairo_rectangle(mCr, D(rect.left), D(rect.top), D(rect.Width()), D(rect.Height()));
}

void CairoSurface::RoundedRectangle(const RectF& rect, const float (&radii)[4]) {
  const double w = D(rect.Width()), h = D(rect.Height());
  const double limit = std::max(0.0, std::min(w, h) / 2.0);
  double r[4];
  for (int i = 0; i < 4; ++i) r[i] = std::clamp(D(radii[i]), 0.0, limit);
  const double l = D(rect.left), t = D(rect.top), rt = l + w, b = t + h;
  cairo_new_sub_path(mCr);
  cairo_arc(mCr, l + r[0], t + r[0], r[0], kPi, 1.5 * kPi);
  cairo_arc(mCr, rt - r[1], t + r[1], r[1], 1.5 * kPi, 2.0 * kPi);
  cairo_arc(mCr, rt - r[2], b - r[2], r[2], 0.0, 0.5 * kPi);
  cairo_arc(mCr, l + r[3], b - r[3], r[3], 0.5 * kPi, kPi);
  cairo_close_path(mCr);
}

void CairoSurface::Ellipse(float cx, float cy, float rx, float ry, float angleDegrees) {
  if (!(rx > 0.0f) || !(ry > 0.0f)) return;
  cairo_matrix_t saved;
  cairo_get_matrix(mCr, &saved);
  cairo_new_sub_path(mCr);
  cairo_translate(mCr, D(cx), D(cy));
  cairo_rotate(mCr, D(angleDegrees) * kPi / 180.0);
  cairo_scale(mCr, D(rx), D(ry));
  cairo_arc(mCr, 0.0, 0.0, 1.0, 0.0, 2.0 * kPi);
  cairo_close_path(mCr);
  cairo_set_matrix(mCr, &saved);
  RecoverFromError();
}

void CairoSurface::Fill(const Rgba& color, float weight) {
  SetColor(mCr, color, weight);
  cairo_fill(mCr);
  RecoverFromError();
}

void CairoSurface::Stroke(const Rgba& color, float thickness, float weight, bool dashed) {
  SetColor(mCr, color, weight);
  cairo_set_line_width(mCr, D(thickness));
  if (dashed) {
    static const double kDots[2] = {1.0, 1.0};
    cairo_set_dash(mCr, kDots, 2, 0.0);
  }
  cairo_stroke(mCr);
  if (dashed) cairo_set_dash(mCr, nullptr, 0, 0.0);
  RecoverFromError();
}

// Paints the image's source (set up by the caller with the matrix it needs)
// inside `clip`; the source keeps the matrix it was set with, and the
// caller's cairo_save is undone.
void CairoSurface::PaintImage(const RectF& clip, cairo_extend_t extend, float weight) {
  SetSampling(mCr, extend);
  ApplyScale();
  cairo_rectangle(mCr, D(clip.left), D(clip.top), D(clip.Width()), D(clip.Height()));
  cairo_clip(mCr);
  cairo_paint_with_alpha(mCr, Weight(weight));
  cairo_restore(mCr);
  RecoverFromError();
}

void CairoSurface::DrawImage(const Image& image, const RectF& dst, float srcX, float srcY, float weight) {
  const CairoImage* source = AsCairo(image);
  if (source == nullptr) return;
  PathKeeper keep(mCr);
  cairo_save(mCr);
  const double toUnits = 1.0 / image.Scale();
  cairo_translate(mCr, D(dst.left) - D(srcX), D(dst.top) - D(srcY));
  cairo_scale(mCr, toUnits, toUnits);
  cairo_set_source_surface(mCr, source->CairoSurface(), 0.0, 0.0);
  PaintImage(dst, CAIRO_EXTEND_NONE, weight);
}

void CairoSurface::DrawImageFitted(const Image& image, const RectF& dst, float weight) {
  const CairoImage* source = AsCairo(image);
  if (source == nullptr || !(dst.Width() > 0.0f) || !(dst.Height() > 0.0f)) return;
  PathKeeper keep(mCr);
  cairo_save(mCr);
  cairo_translate(mCr, D(dst.left), D(dst.top));
  cairo_scale(mCr, D(dst.Width()) / image.WidthPixels(), D(dst.Height()) / image.HeightPixels());
  cairo_set_source_surface(mCr, source->CairoSurface(), 0.0, 0.0);
  // Stretching shows the edge pixels to the border, not a fade to nothing.
  PaintImage(dst, CAIRO_EXTEND_PAD, weight);
}

void CairoSurface::DrawImageRotated(const Image& image, float cx, float cy, float angleDegrees,
                                    float weight) {
  const CairoImage* source = AsCairo(image);
  if (source == nullptr) return;
  PathKeeper keep(mCr);
  cairo_save(mCr);
  const double toUnits = 1.0 / image.Scale();
  cairo_translate(mCr, D(cx), D(cy));
  cairo_rotate(mCr, D(angleDegrees) * kPi / 180.0);
  cairo_scale(mCr, toUnits, toUnits);
  cairo_translate(mCr, -image.WidthPixels() / 2.0, -image.HeightPixels() / 2.0);
  cairo_set_source_surface(mCr, source->CairoSurface(), 0.0, 0.0);
  SetSampling(mCr, CAIRO_EXTEND_NONE);
  cairo_paint_with_alpha(mCr, Weight(weight));
  cairo_restore(mCr);
  RecoverFromError();
}

void CairoSurface::ResizePixels(int widthPixels, int heightPixels) {
  if (widthPixels < 0 || heightPixels < 0) return;
  if (widthPixels == WidthPixels() && heightPixels == HeightPixels()) return;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, widthPixels, heightPixels);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    // Too large for cairo: the old pixels stay.
    cairo_surface_destroy(surface);
    return;
  }
  cairo_destroy(mCr);
  cairo_surface_destroy(mSurface);
  mSurface = surface;
  mCr = cairo_create(surface);
  mClipDepth = 0;
  ApplyScale();
}

int CairoSurface::WidthPixels() const { return cairo_image_surface_get_width(mSurface); }
int CairoSurface::HeightPixels() const { return cairo_image_surface_get_height(mSurface); }
int CairoSurface::StrideBytes() const { return cairo_image_surface_get_stride(mSurface); }

const std::uint32_t* CairoSurface::Pixels() const {
  cairo_surface_flush(mSurface);
  // cairo's ARGB32 rows are 32-bit aligned words.
  return reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(mSurface));
}

void CairoSurface::Clear() {
  cairo_surface_flush(mSurface);
  unsigned char* data = cairo_image_surface_get_data(mSurface);
  if (data != nullptr)
    std::memset(data, 0, static_cast<std::size_t>(StrideBytes()) * static_cast<std::size_t>(HeightPixels()));
  cairo_surface_mark_dirty(mSurface);
}

bool CairoSurface::WritePng(const std::string& path) const {
  cairo_surface_flush(mSurface);
  return cairo_surface_write_to_png(mSurface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace graphics
