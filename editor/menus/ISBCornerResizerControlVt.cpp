#include "editor/menus/ISBCornerResizerControlVt.h"

#include "editor/menus/BitmapFrames.h"
#include "framework/igraphics/IGEditorDelegate.h"
#include "framework/igraphics/IGraphics.h"

namespace kalvo5 {

namespace {

constexpr float kDefaultSide = 16.0f;

float SideFor(const igraphics::Bitmap& bitmap) {
  return bitmap.IsValid() ? FrameWidth(bitmap) : kDefaultSide;
}

}  // namespace

ISBCornerResizerControlVt::ISBCornerResizerControlVt(Kalvo5& plugin, const igraphics::Rect& editorBounds,
                                                     const igraphics::Bitmap& bitmap, int scaleCommand,
                                                     int toggleCommand)
    : igraphics::ICornerResizerControl(editorBounds, SideFor(bitmap)),
      igraphics::IBitmapBase(bitmap),
      mPlugin(plugin),
      mScaleCommand(scaleCommand),
      mToggleCommand(toggleCommand) {}

void ISBCornerResizerControlVt::SendCommand(int command) {
  if (command >= 0) mPlugin.Execute(EditorCommand(static_cast<ECommands>(command)));
}

void ISBCornerResizerControlVt::OnResized() {
  igraphics::IGraphics* g = GetUI();
  if (!g) return;
  const float right = static_cast<float>(g->Width());
  const float bottom = static_cast<float>(g->Height());
  SetTargetAndDrawRects({right - mSize, bottom - mSize, right, bottom});
}

void ISBCornerResizerControlVt::OnScaleChanged() {
  OnResized();
  SendCommand(mScaleCommand);
}

void ISBCornerResizerControlVt::OnMouseDown(float /*x*/, float /*y*/, const igraphics::MouseMods& /*mods*/) {
  if (igraphics::IGraphics* g = GetUI()) g->BeginResizeDrag();
}

void ISBCornerResizerControlVt::OnMouseDoubleClick(float /*x*/, float /*y*/,
                                                   const igraphics::MouseMods& /*mods*/) {
  SendCommand(mToggleCommand);
}

void ISBCornerResizerControlVt::Draw(igraphics::IGraphics& g) {
  const bool lit = GetMouseIsOver() || g.ResizeDragActive();
  DrawFrame(g, mBitmap, mRect, lit ? 1 : 0, mBlend);
}

}  // namespace kalvo5
