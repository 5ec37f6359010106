// The drawing operations of the editor window, built on the surface's paths.
#include <cmath>

#include "IGraphics.h"

namespace igraphics {
namespace {

float Weight(const Blend* blend) { return blend ? blend->weight : 1.0f; }

// One straight stroke, solid or dotted.
void StrokeSegment(graphics::DrawTarget& target, const Color& color, float x1, float y1, float x2, float y2,
                   const Blend* blend, float thickness, bool dotted) {
  target.BeginPath();
  target.MoveTo(x1, y1);
  target.LineTo(x2, y2);
  target.Stroke(color.ToRgba(), thickness, Weight(blend), dotted);
}

}  // namespace

void IGraphics::DrawBitmap(const Bitmap& bitmap, const Rect& dest, int srcX, int srcY, const Blend* blend) {
  if (!mSurface || !bitmap.image) return;
  mSurface->DrawImage(*bitmap.image, dest.ToRectF(), static_cast<float>(srcX), static_cast<float>(srcY),
                      Weight(blend));
}

void IGraphics::DrawFittedBitmap(const Bitmap& bitmap, const Rect& dest, const Blend* blend) {
  if (!mSurface || !bitmap.image) return;
  mSurface->DrawImageFitted(*bitmap.image, dest.ToRectF(), Weight(blend));
}

void IGraphics::DrawRotatedBitmap(const Bitmap& bitmap, float cx, float cy, float angleDegrees,
                                  const Blend* blend) {
  if (!mSurface || !bitmap.image) return;
  mSurface->DrawImageRotated(*bitmap.image, cx, cy, angleDegrees, Weight(blend));
}

void IGraphics::DrawPoint(const Color& color, float x, float y, const Blend* blend) {
  FillRect(color, {x, y, x + 1.0f, y + 1.0f}, blend);
}

void IGraphics::DrawLine(const Color& color, float x1, float y1, float x2, float y2, const Blend* blend,
                         float thickness) {
  if (mSurface) StrokeSegment(*mSurface, color, x1, y1, x2, y2, blend, thickness, false);
}

void IGraphics::DrawDottedLine(const Color& color, float x1, float y1, float x2, float y2, const Blend* blend,
                               float thickness) {
  if (mSurface) StrokeSegment(*mSurface, color, x1, y1, x2, y2, blend, thickness, true);
}

void IGraphics::DrawTriangle(const Color& color, float x1, float y1, float x2, float y2, float x3, float y3,
                             const Blend* blend, float thickness) {
  const float x[] = {x1, x2, x3};
  const float y[] = {y1, y2, y3};
  DrawConvexPolygon(color, x, y, 3, blend, thickness);
}

void IGraphics::FillTriangle(const Color& color, float x1, float y1, float x2, float y2, float x3, float y3,
                             const Blend* blend) {
  const float x[] = {x1, x2, x3};
  const float y[] = {y1, y2, y3};
  FillConvexPolygon(color, x, y, 3, blend);
}

void IGraphics::DrawRect(const Color& color, const Rect& r, const Blend* blend, float thickness) {
  if (!mSurface) return;
  mSurface->BeginPath();
  mSurface->Rectangle(r.ToRectF());
  mSurface->Stroke(color.ToRgba(), thickness, Weight(blend), false);
}

void IGraphics::FillRect(const Color& color, const Rect& r, const Blend* blend) {
  if (!mSurface || color.A <= 0) return;
  mSurface->BeginPath();
  mSurface->Rectangle(r.ToRectF());
  mSurface->Fill(color.ToRgba(), Weight(blend));
}

void IGraphics::DrawDottedRect(const Color& color, const Rect& r, const Blend* blend, float thickness) {
  if (!mSurface) return;
  mSurface->BeginPath();
  mSurface->Rectangle(r.ToRectF());
  mSurface->Stroke(color.ToRgba(), thickness, Weight(blend), true);
}

void IGraphics::DrawRoundRect(const Color& color, const Rect& r, float radius, const Blend* blend,
                              float thickness) {
  DrawRoundRect(color, r, radius, radius, radius, radius, blend, thickness);
}

void IGraphics::DrawRoundRect(const Color& color, const Rect& r, float tl, float tr, float br, float bl,
                              const Blend* blend, float thickness) {
  if (!mSurface) return;
  const float radii[4] = {tl, tr, br, bl};
  mSurface->BeginPath();
  mSurface->RoundedRectangle(r.ToRectF(), radii);
  mSurface->Stroke(color.ToRgba(), thickness, Weight(blend), false);
}

void IGraphics::FillRoundRect(const Color& color, const Rect& r, float radius, const Blend* blend) {
  FillRoundRect(color, r, radius, radius, radius, radius, blend);
}

void IGraphics::FillRoundRect(const Color& color, const Rect& r, float tl, float tr, float br, float bl,
                              const Blend* blend) {
  if (!mSurface) return;
  const float radii[4] = {tl, tr, br, bl};
  mSurface->BeginPath();
  mSurface->RoundedRectangle(r.ToRectF(), radii);
  mSurface->Fill(color.ToRgba(), Weight(blend));
}

void IGraphics::DrawArc(const Color& color, float cx, float cy, float r, float fromDegrees, float toDegrees,
                        const Blend* blend, float thickness) {
  if (!mSurface) return;
  mSurface->BeginPath();
  mSurface->Arc(cx, cy, r, fromDegrees, toDegrees);
  mSurface->Stroke(color.ToRgba(), thickness, Weight(blend), false);
}

void IGraphics::FillArc(const Color& color, float cx, float cy, float r, float fromDegrees, float toDegrees,
                        const Blend* blend) {
  if (!mSurface) return;
  mSurface->BeginPath();
  mSurface->MoveTo(cx, cy);
  mSurface->Arc(cx, cy, r, fromDegrees, toDegrees);
  mSurface->ClosePath();
  mSurface->Fill(color.ToRgba(), Weight(blend));
}

void IGraphics::DrawCircle(const Color& color, float cx, float cy, float r, const Blend* blend,
                           float thickness) {
  DrawEllipse(color, cx, cy, r, r, 0.0f, blend, thickness);
}

void IGraphics::FillCircle(const Color& color, float cx, float cy, float r, const Blend* blend) {
  FillEllipse(color, cx, cy, r, r, 0.0f, blend);
}

void IGraphics::DrawEllipse(const Color& color, const Rect& r, const Blend* blend, float thickness) {
  DrawEllipse(color, r.MW(), r.MH(), 0.5f * r.W(), 0.5f * r.H(), 0.0f, blend, thickness);
}

void IGraphics::DrawEllipse(const Color& color, float cx, float cy, float rx, float ry, float angleDegrees,
                            const Blend* blend, float thickness) {
  if (!mSurface) return;
  mSurface->BeginPath();
  mSurface->Ellipse(cx, cy, rx, ry, angleDegrees);
  mSurface->Stroke(color.ToRgba(), thickness, Weight(blend), false);
}

void IGraphics::FillEllipse(const Color& color, const Rect& r, const Blend* blend) {
  FillEllipse(color, r.MW(), r.MH(), 0.5f * r.W(), 0.5f * r.H(), 0.0f, blend);
}

void IGraphics::FillEllipse(const Color& color, float cx, float cy, float rx, float ry, float angleDegrees,
                            const Blend* blend) {
  if (!mSurface) return;
  mSurface->BeginPath();
  mSurface->Ellipse(cx, cy, rx, ry, angleDegrees);
  mSurface->Fill(color.ToRgba(), Weight(blend));
}

void IGraphics::DrawConvexPolygon(const Color& color, const float* x, const float* y, int count,
                                  const Blend* blend, float thickness) {
  if (!mSurface || !x || !y || count < 2) return;
  mSurface->BeginPath();
  mSurface->MoveTo(x[0], y[0]);
  for (int i = 1; i < count; ++i) mSurface->LineTo(x[i], y[i]);
  mSurface->ClosePath();
  mSurface->Stroke(color.ToRgba(), thickness, Weight(blend), false);
}

void IGraphics::FillConvexPolygon(const Color& color, const float* x, const float* y, int count,
                                  const Blend* blend) {
  if (!mSurface || !x || !y || count < 3) return;
  mSurface->BeginPath();
  mSurface->MoveTo(x[0], y[0]);
  for (int i = 1; i < count; ++i) mSurface->LineTo(x[i], y[i]);
  mSurface->ClosePath();
  mSurface->Fill(color.ToRgba(), Weight(blend));
}

void IGraphics::DrawGrid(const Color& color, const Rect& r, float gridW, float gridH, const Blend* blend,
                         float thickness) {
  if (!mSurface) return;
  mSurface->BeginPath();
  if (gridW > 1.0f)
    for (float x = r.L + gridW; x < r.R; x += gridW) {
      mSurface->MoveTo(x, r.T);
      mSurface->LineTo(x, r.B);
    }
  if (gridH > 1.0f)
    for (float y = r.T + gridH; y < r.B; y += gridH) {
      mSurface->MoveTo(r.L, y);
      mSurface->LineTo(r.R, y);
    }
  mSurface->Stroke(color.ToRgba(), thickness, Weight(blend), false);
}

void IGraphics::DrawData(const Color& color, const Rect& r, const float* normY, int count, const float* normX,
                         const Blend* blend, float thickness) {
  if (!mSurface || !normY || count < 2) return;
  mSurface->BeginPath();
  for (int i = 0; i < count; ++i) {
    const float fx = normX ? normX[i] : static_cast<float>(i) / static_cast<float>(count - 1);
    const float x = r.L + r.W() * fx;
    const float y = r.B - r.H() * normY[i];
    if (i == 0)
      mSurface->MoveTo(x, y);
    else
      mSurface->LineTo(x, y);
  }
  mSurface->Stroke(color.ToRgba(), thickness, Weight(blend), false);
}

void IGraphics::DrawText(const TextStyle& style, const std::string& text, const Rect& r, const Blend* blend) {
  if (!mSurface || text.empty()) return;
  graphics::TextFormat format = style.ToFormat();
  format.color.a *= static_cast<double>(Weight(blend));
  mSurface->DrawText(format, text, r.ToRectF());
}

Rect IGraphics::MeasureText(const TextStyle& style, const std::string& text) {
  if (mSurface) {
    const graphics::RectF size = mSurface->MeasureText(style.ToFormat(), text);
    return {0.0f, 0.0f, size.Width(), size.Height()};
  }
  // Without a surface: an average glyph is about half as wide as high.
  return {0.0f, 0.0f, 0.5f * style.size * static_cast<float>(text.size()), style.size};
}

void IGraphics::PathClear() {
  if (mSurface) mSurface->BeginPath();
}

void IGraphics::PathMoveTo(float x, float y) {
  if (mSurface) mSurface->MoveTo(x, y);
}

void IGraphics::PathLineTo(float x, float y) {
  if (mSurface) mSurface->LineTo(x, y);
}

void IGraphics::PathArc(float cx, float cy, float r, float fromDegrees, float toDegrees) {
  if (mSurface) mSurface->Arc(cx, cy, r, fromDegrees, toDegrees);
}

void IGraphics::PathClose() {
  if (mSurface) mSurface->ClosePath();
}

void IGraphics::PathStroke(const Color& color, float thickness, const Blend* blend) {
  if (mSurface) mSurface->Stroke(color.ToRgba(), thickness, Weight(blend), false);
}

void IGraphics::PathFill(const Color& color, const Blend* blend) {
  if (mSurface) mSurface->Fill(color.ToRgba(), Weight(blend));
}

}  // namespace igraphics
