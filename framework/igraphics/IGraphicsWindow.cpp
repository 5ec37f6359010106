// Drawing the controls, the native window, and the host's idle call that
// pumps the window's events.
#include <cmath>

#include "Backend.h"
#include "ICornerResizerControl.h"
#include "IGraphics.h"
#include "IGraphicsKeys.h"
#include "IMessageBoxControl.h"
#include "IPopupMenuControl.h"
#include "ITextEntryControl.h"
#include "TextLayout.h"

namespace igraphics {

bool IGraphics::AnythingNeedsRedraw() const {
  if (mFullRedraw) return true;
  for (const auto& control : mControls)
    if (control->NeedsRedraw()) return true;
  for (const IControl* special :
       {static_cast<const IControl*>(mCornerResizer.get()), static_cast<const IControl*>(mPopupHost.get()),
        static_cast<const IControl*>(mTextEntry.get()), static_cast<const IControl*>(mMessageBox.get())})
    if (special && special->NeedsRedraw()) return true;
  return false;
}

bool IGraphics::Draw() {
  if (!AnythingNeedsRedraw()) return false;
  // The whole editor is drawn again whenever anything changed: simple, and
  // every dirty control is drawn within the frame.
  if (mSurface) {
    mSurface->SetScale(GetTotalScale());
    mSurface->Clear();
    for (auto& control : mControls)
      if (!control->IsHidden()) control->Draw(*this);
    if (mCornerResizer && !mCornerResizer->IsHidden()) mCornerResizer->Draw(*this);
    if (TextEntryActive()) mTextEntry->Draw(*this);
    if (PopupMenuShowing()) mPopupHost->Draw(*this);
    DrawTooltip();
    if (mMessageBox) mMessageBox->Draw(*this);
  }
  for (auto& control : mControls) control->MarkClean();
  ForEachSpecialControl([](IControl& control) { control.MarkClean(); });
  mFullRedraw = false;
  return true;
}

void IGraphics::DrawTooltip() {
  const std::string text = ShownTooltip();
  if (text.empty()) return;
  TextStyle style;
  style.size = 12.0f;
  style.align = HAlign::Near;
  style.valign = VAlign::Top;
  const float maxWidth = kTooltipMaxWidthPixels / static_cast<float>(GetTotalScale());
  const float padding = 4.0f;
  const float lineHeight = style.size * 1.25f;
  const auto lines = WrapText(text, maxWidth - 2.0f * padding,
                              [&](const std::string& s) { return MeasureText(style, s).W(); });
  float width = 0.0f;
  for (const auto& line : lines) width = std::max(width, MeasureText(style, line).W());
  width = std::min(width + 2.0f * padding, maxWidth);
  const float height = static_cast<float>(lines.size()) * lineHeight + 2.0f * padding;
  // Below and right of the pointer, kept inside the editor.
  float left = std::min(mTooltipX + 12.0f, static_cast<float>(mWidth) - width);
  float top = mTooltipY + 18.0f;
  if (top + height > static_cast<float>(mHeight)) top = mTooltipY - height - 4.0f;
  left = std::max(left, 0.0f);
  top = std::max(top, 0.0f);
  const Rect box{left, top, left + width, top + height};
  FillRect({240, 255, 255, 225}, box);
  DrawRect({255, 80, 80, 80}, box);
  float y = top + padding;
  for (const auto& line : lines) {
    DrawText(style, line, {left + padding, y, box.R - padding, y + lineHeight});
    y += lineHeight;
  }
}

bool IGraphics::WritePng(const std::string& path) const { return mSurface && mSurface->WritePng(path); }

bool IGraphics::OpenWindow(std::uintptr_t parent, std::string* error) {
  if (mWindow) return true;
  const Backend backend = GetBackend();
  std::string reason = "no window system";
  if (backend.openChildWindow) {
    const double scale = GetTotalScale();
    mWindow = backend.openChildWindow(parent, static_cast<int>(std::lround(mWidth * scale)),
                                      static_cast<int>(std::lround(mHeight * scale)), reason);
  }
  if (!mWindow) {
    if (error) *error = reason;
    return false;
  }
  if (!mSurface && backend.createImageSurface) mSurface = backend.createImageSurface(1, 1);
  const double screenScale = mWindow->ScreenScale();
  if (screenScale > 0.0 && screenScale != mScreenScale) SetScreenScale(screenScale);
  ResizeSurface();
  mWindow->SetCursor(mCursor);
  mFullRedraw = true;
  Draw();
  if (mSurface)
    mWindow->Present(mSurface->Pixels(), mSurface->WidthPixels(), mSurface->HeightPixels(),
                     mSurface->StrideBytes());
  return true;
}

void IGraphics::CloseWindow() {
  // As a desktop dialog is, a path prompt is given up with the window,
  // telling nobody: whoever asked may be closing too.
  mPathPrompt.reset();
  DismissTransients();
  mMouseOver = nullptr;
  mWindow.reset();
}

void IGraphics::HandleWindowEvent(const graphics::WindowEvent& event) {
  using Kind = graphics::WindowEvent::Kind;
  const float scale = static_cast<float>(GetTotalScale());
  const float x = event.x / scale;
  const float y = event.y / scale;
  MouseMods mods;
  mods.L = event.left;
  mods.R = event.right;
  mods.S = event.shift;
  mods.C = event.control;
  mods.A = event.alt;
  switch (event.kind) {
    case Kind::MouseDown:
      if (event.clicks >= 2)
        OnMouseDblClick(x, y, mods);
      else
        OnMouseDown(x, y, mods);
      break;
    case Kind::MouseUp:
      OnMouseUp(x, y, mods);
      break;
    case Kind::MouseMove:
      if (event.left || event.right)
        OnMouseDrag(x, y, x - mEventX, y - mEventY, mods);
      else
        OnMouseOver(x, y, mods);
      break;
    case Kind::Wheel:
      OnMouseWheel(x, y, mods, static_cast<float>(event.notches));
      break;
    case Kind::KeyDown:
    case Kind::KeyUp: {
      const KeyPress key =
          MakeKeyPressFromKeysym(event.keysym, event.text, event.shift, event.control, event.alt);
      if (event.kind == Kind::KeyDown)
        OnKeyDown(mLastX, mLastY, key);
      else
        OnKeyUp(mLastX, mLastY, key);
      break;
    }
    case Kind::Leave:
      OnMouseOut();
      break;
    case Kind::Expose:
      mFullRedraw = true;
      break;
    case Kind::Drop:
      OnDrop(event.paths, x, y);
      break;
    case Kind::Hidden:
    case Kind::Close:
      DismissTransients();
      break;
    case Kind::Rescaled:
      if (mWindow && mWindow->ScreenScale() > 0.0) SetScreenScale(mWindow->ScreenScale());
      break;
  }
  if (event.kind != Kind::KeyDown && event.kind != Kind::KeyUp && event.kind != Kind::Expose &&
      event.kind != Kind::Rescaled) {
    mEventX = x;
    mEventY = y;
  }
}

bool IGraphics::OnIdle() {
  mRetiredMessageBox.reset();
  if (mWindow) {
    for (const graphics::WindowEvent& event : mWindow->TakeEvents()) {
      HandleWindowEvent(event);
      if (!mWindow) return false;
    }
  }
  if (mPlatform.poll) {
    // A copy: a prompt's caller may replace the services while it runs.
    const std::function<void()> poll = mPlatform.poll;
    poll();
  }
  UpdateTooltip();
  for (auto& control : mControls)
    if (control->IsAnimating()) control->Animate();
  mRetiredMessageBox.reset();
  if (!Draw()) return false;
  if (mWindow && mSurface)
    mWindow->Present(mSurface->Pixels(), mSurface->WidthPixels(), mSurface->HeightPixels(),
                     mSurface->StrideBytes());
  return true;
}

}  // namespace igraphics
