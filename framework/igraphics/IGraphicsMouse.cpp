// Mouse dispatch: hit testing, capture, gestures around presses, the corner
// resize drag, hover and tooltips.
#include <algorithm>

#include "ICornerResizerControl.h"
#include "IGEditorDelegate.h"
#include "IGraphics.h"
#include "IMessageBoxControl.h"
#include "IPopupMenuControl.h"
#include "ITextEntryControl.h"

namespace igraphics {

IControl* IGraphics::GetMouseControl(float x, float y, bool capture, bool mouseOver) {
  if (mCaptured) return mCaptured;
  IControl* found = nullptr;
  if (mMessageBox) {
    found = mMessageBox.get();
  } else if (PopupMenuShowing()) {
    found = mPopupHost.get();
  } else if (TextEntryActive()) {
    found = mTextEntry.get();
  } else if (mCornerResizer && mCornerResizer->HitTest(x, y)) {
    found = mCornerResizer.get();
  } else if (!mouseOver || mMouseOverEnabled) {
    // Hover skips the first control (the background).
    const int first = mouseOver ? 1 : 0;
    for (int i = ControlCount() - 1; i >= first; --i) {
      IControl* control = mControls[static_cast<std::size_t>(i)].get();
      if (control->IsHidden() || control->GetIgnoreMouse()) continue;
      if (control->IsDisabled() &&
          !(mouseOver ? control->GetMouseOverWhenDisabled() : control->GetMouseEventsWhenDisabled()))
        continue;
      if (control->HitTest(x, y)) {
        found = control;
        break;
      }
    }
  }
  if (capture && found) mCaptured = found;
  return found;
}

void IGraphics::ReleaseMouseCapture() {
  mCaptured = nullptr;
  if (mCursorHidden) HideMouseCursor(false);
}

void IGraphics::OnMouseDown(float x, float y, const MouseMods& mods) {
  HideTooltip();
  mButtonsDown = true;
  mLastX = x;
  mLastY = y;
  mResizeOriginX = x;
  mResizeOriginY = y;
  IControl* control = GetMouseControl(x, y, true);
  if (!control) return;
  if (mods.R) {
    int slot = control->ValueSlotAt(x, y);
    if (slot < 0) slot = 0;
    if (control->IsBound(slot)) {
      // A right press on a parameter control is for the host's context
      // menu, which a control may fill; it changes nothing here.
      ReleaseMouseCapture();
      PopupMenu menu;
      control->CreateContextMenu(menu);
      if (menu.NItems() > 0) ShowPopupMenu(control, menu, {x, y, x, y}, slot);
      return;
    }
  }
  for (int slot = 0; slot < control->NVals(); ++slot)
    if (control->IsBound(slot)) mDelegate.BeginParamGesture(control->GetParamIdx(slot));
  control->OnMouseDown(x, y, mods);
}

void IGraphics::OnMouseDblClick(float x, float y, const MouseMods& mods) {
  IControl* control = GetMouseControl(x, y, true);
  if (!control) return;
  if (control->GetDblAsSingleClick()) {
    OnMouseDown(x, y, mods);
    return;
  }
  control->OnMouseDoubleClick(x, y, mods);
  ReleaseMouseCapture();
}

void IGraphics::OnMouseDrag(float x, float y, float dx, float dy, const MouseMods& mods) {
  mLastX = x;
  mLastY = y;
  if (mResizeDragActive) {
    if (mResizeMode == ResizeMode::Scale) {
      if (mResizeOriginX <= 0.0f || mResizeOriginY <= 0.0f) return;
      const float scale = std::min(mDrawScale * x / mResizeOriginX, mDrawScale * y / mResizeOriginY);
      ResizeEditor(mWidth, mHeight, scale, true);
    } else {
      ResizeEditor(static_cast<int>(x), static_cast<int>(y), mDrawScale, true);
    }
    return;
  }
  if (dx == 0.0f && dy == 0.0f) return;
  if (TextEntryActive()) {
    mTextEntry->OnMouseDrag(x, y, dx, dy, mods);
    return;
  }
  if (mCaptured) mCaptured->OnMouseDrag(x, y, dx, dy, mods);
}

void IGraphics::OnMouseUp(float x, float y, const MouseMods& mods) {
  mButtonsDown = false;
  if (IControl* control = mCaptured) {
    // The release may rebuild the editor and take the control with it.
    const std::vector<int> params = BoundParams(*control);
    control->OnMouseUp(x, y, mods);
    EndGestures(params);
    mCaptured = nullptr;
  }
  if (mResizeDragActive) {
    mResizeDragActive = false;
    if (mResizeMode == ResizeMode::Scale) {
      for (auto& c : mControls) {
        c->OnScaleChanged();
        c->MarkDirty(false);
      }
    }
    mFullRedraw = true;
  }
  OnMouseOver(x, y, MouseMods{});
}

void IGraphics::OnMouseWheel(float x, float y, const MouseMods& mods, float notches) {
  if (IControl* control = GetMouseControl(x, y, false)) control->OnMouseWheel(x, y, mods, notches);
}

void IGraphics::OnMouseOver(float x, float y, const MouseMods& mods) {
  const bool moved = !mPointerInside || x != mLastX || y != mLastY;
  mPointerInside = true;
  mLastX = x;
  mLastY = y;
  // Menus, entries and message boxes follow the pointer whatever the hover
  // setting.
  if (ModalShowing()) {
    IControl* modal = GetMouseControl(x, y, false);
    if (modal) modal->OnMouseOver(x, y, mods);
    return;
  }
  if (!mMouseOverEnabled) return;
  IControl* control = GetMouseControl(x, y, false, true);
  if (control != mMouseOver) {
    if (mMouseOver) mMouseOver->OnMouseOut();
    HideTooltip();
    mMouseOver = control;
    // The rest that shows a tooltip starts over on every control.
    mLastMoveTime = std::chrono::steady_clock::now();
  }
  if (moved) {
    mLastMoveTime = std::chrono::steady_clock::now();
    HideTooltip();
  }
  if (control) control->OnMouseOver(x, y, mods);
}

void IGraphics::OnMouseOut() {
  HideTooltip();
  mPointerInside = false;
  SetMouseCursor(kCursorArrow);
  for (auto& control : mControls) control->OnMouseOut();
  ForEachSpecialControl([](IControl& control) { control.OnMouseOut(); });
  mMouseOver = nullptr;
}

void IGraphics::OnDrop(const std::vector<std::string>& paths, float x, float y) {
  if (paths.empty()) return;
  IControl* control = GetMouseControl(x, y, false);
  if (!control) return;
  if (paths.size() == 1)
    control->OnDrop(paths.front().c_str());
  else
    control->OnDropMultiple(paths);
}

void IGraphics::EnableMouseOver(bool on) {
  mMouseOverEnabled = on;
  if (!on) {
    if (mMouseOver) mMouseOver->OnMouseOut();
    mMouseOver = nullptr;
    HideTooltip();
  }
}

void IGraphics::EnableTooltips(bool on) {
  mTooltipsEnabled = on;
  if (!on) HideTooltip();
}

bool IGraphics::ModalShowing() const { return mMessageBox || PopupMenuShowing() || TextEntryActive(); }

std::string IGraphics::ShownTooltip() const {
  return mTooltipShown && mMouseOver ? mMouseOver->GetTooltip() : std::string();
}

void IGraphics::HideTooltip() {
  if (!mTooltipShown) return;
  mTooltipShown = false;
  mFullRedraw = true;
}

// While a menu, text entry or message box held the mouse, the pointer may
// have moved over other controls than the one hovered before it opened. Once
// it is closed (by a key, or by a choice that opened nothing else), the
// control under the pointer is hovered, and its tooltip waits for a new rest
// there. A press in progress leaves it to the release, which hovers anew.
void IGraphics::HoverAgainAtPointer() {
  HideTooltip();
  mLastMoveTime = std::chrono::steady_clock::now();
  if (!mMouseOverEnabled || !mPointerInside || mButtonsDown || ModalShowing()) return;
  IControl* control = GetMouseControl(mLastX, mLastY, false, true);
  if (control != mMouseOver) {
    if (mMouseOver) mMouseOver->OnMouseOut();
    mMouseOver = control;
  }
  if (control) control->OnMouseOver(mLastX, mLastY, MouseMods{});
}

// A tooltip never covers a menu, text entry or message box: they hide it
// when they open, and it waits for them to close.
void IGraphics::UpdateTooltip() {
  if (!mTooltipsEnabled || !mMouseOverEnabled || !mPointerInside || mButtonsDown || !mMouseOver) return;
  if (mTooltipShown || ModalShowing() || mMouseOver->GetTooltip().empty()) return;
  const auto rest = std::chrono::steady_clock::now() - mLastMoveTime;
  if (rest < std::chrono::milliseconds(kTooltipDelayMs)) return;
  mTooltipShown = true;
  mTooltipX = mLastX;
  mTooltipY = mLastY;
  mFullRedraw = true;
}

}  // namespace igraphics
