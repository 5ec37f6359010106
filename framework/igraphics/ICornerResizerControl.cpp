#include "ICornerResizerControl.h"

#include "IGraphics.h"

namespace igraphics {

ICornerResizerControl::ICornerResizerControl(const Rect& editorBounds, float size, const Color& color,
                                             const Color& mouseOverColor, const Color& dragColor)
    : IControl(editorBounds),
      mSize(size),
      mColor(color),
      mMouseOverColor(mouseOverColor),
      mDragColor(dragColor),
      mInitialWidth(static_cast<int>(editorBounds.W())),
      mInitialHeight(static_cast<int>(editorBounds.H())) {}

void ICornerResizerControl::Draw(IGraphics& g) {
  const Color& color = g.ResizeDragActive() ? mDragColor : GetMouseIsOver() ? mMouseOverColor : mColor;
  g.FillTriangle(color, mRect.L, mRect.B, mRect.R, mRect.T, mRect.R, mRect.B, &mBlend);
}

void ICornerResizerControl::OnMouseDown(float /*x*/, float /*y*/, const MouseMods& /*mods*/) {
  if (IGraphics* g = GetUI()) g->BeginResizeDrag();
}

void ICornerResizerControl::OnMouseDoubleClick(float /*x*/, float /*y*/, const MouseMods& /*mods*/) {
  if (IGraphics* g = GetUI()) g->ResizeEditor(mInitialWidth, mInitialHeight, 1.0f, true);
}

void ICornerResizerControl::OnScaleChanged() {
  IGraphics* g = GetUI();
  if (!g) return;
  const float side = mSize / g->GetDrawScale();
  const float right = static_cast<float>(g->Width());
  const float bottom = static_cast<float>(g->Height());
  SetTargetAndDrawRects({right - side, bottom - side, right, bottom});
  OnResized();
}

void ICornerResizerControl::OnMouseOver(float /*x*/, float /*y*/, const MouseMods& /*mods*/) {
  if (GetMouseIsOver()) return;
  if (IGraphics* g = GetUI()) mPreviousCursor = g->SetMouseCursor(kCursorSizeNWSE);
  SetMouseIsOver(true);
  MarkDirty(false);
}

void ICornerResizerControl::OnMouseOut() {
  if (!GetMouseIsOver()) return;
  if (IGraphics* g = GetUI()) g->SetMouseCursor(mPreviousCursor);
  SetMouseIsOver(false);
  MarkDirty(false);
}

}  // namespace igraphics
