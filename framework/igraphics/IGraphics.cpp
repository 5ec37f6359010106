// The editor window's control list, value flow, menus, text entry and sizes.
#include "IGraphics.h"

#include <algorithm>
#include <cmath>

#include "IBitmapBase.h"
#include "ICornerResizerControl.h"
#include "IGEditorDelegate.h"
#include "IMessageBoxControl.h"
#include "IPopupMenuControl.h"
#include "ITextEntryControl.h"
#include "framework/iplug/IParam.h"

namespace igraphics {

IGraphics::IGraphics(IGEditorDelegate& delegate, int width, int height, int fps, float scale,
                     std::unique_ptr<graphics::Surface> surface)
    : mDelegate(delegate),
      mWidth(width),
      mHeight(height),
      mFPS(fps),
      mDrawScale(std::clamp(scale, kMinDrawScale, kMaxDrawScale)),
      mSurface(std::move(surface)) {
  ResizeSurface();
}

IGraphics::~IGraphics() {
  // Controls may reach the window while they go; they go first.
  mControls.clear();
  mTags.clear();
}

void IGraphics::ResizeSurface() {
  if (!mSurface) return;
  const double scale = GetTotalScale();
  mSurface->ResizePixels(static_cast<int>(std::lround(mWidth * scale)),
                         static_cast<int>(std::lround(mHeight * scale)));
  mSurface->SetScale(scale);
  mFullRedraw = true;
}

void IGraphics::ResizeNativeWindow() {
  if (!mWindow) return;
  const double scale = GetTotalScale();
  mWindow->Resize(static_cast<int>(std::lround(mWidth * scale)),
                  static_cast<int>(std::lround(mHeight * scale)));
}

// --- Controls ------------------------------------------------------------

void IGraphics::InitSpecialControl(IControl& control) {
  control.SetDelegate(&mDelegate);
  control.SetGraphics(this);
  control.OnInit();
  control.OnResized();
  control.OnScaleChanged();
  control.OnAttached();
}

IControl* IGraphics::AddControl(std::unique_ptr<IControl> control, int tag, const std::string& group) {
  if (!control) return nullptr;
  if (tag > kNoTag && mTags.count(tag)) return nullptr;
  IControl* raw = control.get();
  if (tag > kNoTag) mTags[tag] = raw;
  raw->SetDelegate(&mDelegate);
  raw->SetGraphics(this);
  raw->OnInit();
  raw->OnResized();
  raw->OnScaleChanged();
  raw->SetGroup(group);
  mControls.push_back(std::move(control));
  raw->OnAttached();
  return raw;
}

IControl* IGraphics::ControlAt(int position) const {
  return position >= 0 && position < ControlCount() ? mControls[static_cast<std::size_t>(position)].get()
                                                    : nullptr;
}

IControl* IGraphics::ControlWithTag(int tag) const {
  const auto found = mTags.find(tag);
  return found == mTags.end() ? nullptr : found->second;
}

void IGraphics::RemoveAllControls() {
  mCaptured = mMouseOver = nullptr;
  mMenuRequester = mTextEntryRequester = nullptr;
  mTags.clear();
  mControls.clear();
  mFullRedraw = true;
}

void IGraphics::SetCornerResizer(std::unique_ptr<ICornerResizerControl> control, ResizeMode mode,
                                 bool layoutOnResize) {
  mCornerResizer = std::move(control);
  mResizeMode = mode;
  mLayoutOnResize = layoutOnResize;
  if (mCornerResizer) InitSpecialControl(*mCornerResizer);
}

void IGraphics::AddTextEntry(const TextStyle& style) {
  mTextEntry = std::make_unique<ITextEntryControl>(style);
  InitSpecialControl(*mTextEntry);
}

void IGraphics::AddPopupMenuHost(const TextStyle& style, const Rect& bounds) {
  mPopupHost = std::make_unique<IPopupMenuControl>(style, bounds);
  InitSpecialControl(*mPopupHost);
}

void IGraphics::ForEachSpecialControl(const std::function<void(IControl&)>& f) {
  if (mCornerResizer) f(*mCornerResizer);
  if (mPopupHost) f(*mPopupHost);
  if (mTextEntry) f(*mTextEntry);
  if (mMessageBox) f(*mMessageBox);
}

void IGraphics::MarkAllDirty() {
  for (auto& control : mControls) control->MarkDirty(false);
  mFullRedraw = true;
}

// --- Values --------------------------------------------------------------

bool IGraphics::IsCaptured(const IControl* control) const { return control && control == mCaptured; }

void IGraphics::UpdatePeerControls(IControl* sender, int paramIdx, double normalized) {
  for (auto& control : mControls) {
    if (control.get() == sender) continue;
    const int slot = control->SlotForParam(paramIdx);
    if (slot >= 0) control->SetValueFromPlugin(normalized, slot);
  }
}

void IGraphics::SendParamToControls(int paramIdx, double normalized) {
  for (auto& control : mControls)
    for (int slot = 0; slot < control->NVals(); ++slot)
      if (control->GetParamIdx(slot) == paramIdx) control->SetValueFromPlugin(normalized, slot);
}

void IGraphics::SendControlValue(int tag, double normalized) {
  if (IControl* control = ControlWithTag(tag)) control->SetValueFromPlugin(normalized, 0);
}

void IGraphics::SendControlMessage(int tag, int messageTag, int size, const void* data) {
  if (IControl* control = ControlWithTag(tag)) control->OnPluginMessage(messageTag, size, data);
}

std::vector<int> IGraphics::BoundParams(const IControl& control) {
  std::vector<int> params;
  for (int slot = 0; slot < control.NVals(); ++slot)
    if (control.IsBound(slot)) params.push_back(control.GetParamIdx(slot));
  return params;
}

void IGraphics::EndGestures(const std::vector<int>& params) {
  for (int param : params) mDelegate.EndParamGesture(param);
}

void IGraphics::AbandonPress() {
  if (mCaptured) EndGestures(BoundParams(*mCaptured));
  ReleaseMouseCapture();
}

// --- Asking the user -----------------------------------------------------

void IGraphics::AskUserForValue(IControl* control, const Rect& anchor, int slot) {
  if (!control || slot < 0 || control->GetPromptDisabled()) return;
  const iplug::IParam* param = control->GetParam(slot);
  if (!param) return;
  const bool named = param->Kind() == iplug::ParamKind::Enum ||
                     (param->Kind() == iplug::ParamKind::Bool && param->DisplayTextCount() > 0);
  if (named) {
    PopupMenu menu(param->GetName());
    const std::string current = param->FormatDisplay(param->GetValue(), false, true).c_str();
    for (int i = 0; i < param->DisplayTextCount(); ++i) {
      const std::string text = param->DisplayTextFor(static_cast<double>(i));
      menu.AddItem(text, text == current ? PopupMenu::Item::kChecked : PopupMenu::Item::kNoFlags);
    }
    ShowPopupMenu(control, menu, anchor, slot);
  } else {
    std::string text = param->FormatDisplay(param->GetValue(), false, false).c_str();
    if (control->GetShowLabelInTextEntry()) text += std::string(" ") + param->LabelForHost();
    ShowTextEntry(control, control->GetTextStyle(), anchor, text, slot);
  }
  control->MarkDirty(false);
}

void IGraphics::ShowPopupMenu(IControl* control, const PopupMenu& menu, const Rect& anchor, int slot) {
  HideTooltip();
  ReleaseMouseCapture();
  if (mCursorHidden) HideMouseCursor(false);
  mMenuRequester = control;
  mMenuSlot = slot;
  // There are no native menus here: a window without a host gets one.
  if (!mPopupHost) AddPopupMenuHost(TextStyle{});
  mPopupHost->Show(menu, anchor);
}

void IGraphics::DeliverMenuResult(PopupMenu* chosen) {
  IControl* requester = mMenuRequester;
  const int slot = mMenuSlot;
  mMenuRequester = nullptr;
  mFullRedraw = true;
  if (requester) {
    // The choice may rebuild the editor and take the requester with it.
    const std::vector<int> params = BoundParams(*requester);
    requester->OnMenuChoice(chosen, slot);
    EndGestures(params);
  }
  HoverAgainAtPointer();
}

void IGraphics::DismissPopupMenu() {
  if (!PopupMenuShowing()) return;
  mPopupHost->Dismiss();
  DeliverMenuResult(nullptr);
}

bool IGraphics::PopupMenuShowing() const { return mPopupHost && mPopupHost->IsShowing(); }

void IGraphics::DismissTransients() {
  HideTooltip();
  DismissPopupMenu();
  if (TextEntryActive()) CancelTextEntry();
  AbandonPress();
  mButtonsDown = false;
}

bool IGraphics::TextEntryActive() const { return mTextEntry && mTextEntry->IsActive(); }

void IGraphics::ShowTextEntry(IControl* control, const TextStyle& style, const Rect& bounds,
                              const std::string& text, int slot) {
  if (!control) return;
  HideTooltip();
  // There are no native edit fields here: a window without a host gets one.
  if (!mTextEntry) AddTextEntry(style);
  mTextEntryRequester = control;
  mTextEntrySlot = slot;
  EntryFilter filter = EntryFilter::Any;
  if (const iplug::IParam* param = control->GetParam(slot)) {
    filter = param->Kind() == iplug::ParamKind::Double ? EntryFilter::Real : EntryFilter::Integer;
  }
  mTextEntry->Show(bounds, style, text, filter, control->GetTextEntryLength());
}

void IGraphics::CommitTextEntry(const std::string& text) {
  IControl* requester = mTextEntryRequester;
  const int slot = mTextEntrySlot;
  mTextEntryRequester = nullptr;
  if (mTextEntry) mTextEntry->Hide();
  if (requester) {
    if (const iplug::IParam* param = requester->GetParam(slot)) {
      const double value = param->Constrain(param->ParseDisplay(text.c_str()));
      requester->SetValueFromUser(std::clamp(param->NormalizedFromValue(value), 0.0, 1.0), slot);
    } else {
      requester->OnTextEntered(text.c_str(), slot);
    }
  }
  MarkAllDirty();
  HoverAgainAtPointer();
}

void IGraphics::CancelTextEntry() {
  if (mPathPrompt && mTextEntryRequester == mPathPrompt.get()) mPathPrompt->OnTextEntered("", 0);
  mTextEntryRequester = nullptr;
  if (mTextEntry) mTextEntry->Hide();
  MarkAllDirty();
  HoverAgainAtPointer();
}

// --- Sizes and scales ----------------------------------------------------

void IGraphics::ResizeEditor(int width, int height, float scale, bool hostMustFollow) {
  mDelegate.ConstrainEditorSize(width, height);
  if (!(scale >= mMinScale)) scale = mMinScale;  // NaN too
  scale = std::min(scale, mMaxScale);
  if (width == mWidth && height == mHeight && scale == mDrawScale) return;

  ReleaseMouseCapture();
  if (mCursorHidden) HideMouseCursor(false);
  const int bitmapScale = BitmapScale();
  mWidth = width;
  mHeight = height;
  mDrawScale = scale;
  const bool reload = BitmapScale() != bitmapScale;
  if (mCornerResizer) {
    if (reload) ReloadBitmap(*mCornerResizer);
    mCornerResizer->OnScaleChanged();
  }
  const double total = GetTotalScale();
  if (hostMustFollow)
    mDelegate.RequestEditorSize(static_cast<int>(std::lround(mWidth * total)),
                                static_cast<int>(std::lround(mHeight * total)));
  ResizeNativeWindow();
  for (auto& control : mControls) {
    if (reload) {
      ReloadBitmap(*control);
      control->OnScaleChanged();
    }
    control->OnResized();
    control->MarkDirty(false);
  }
  if (mMessageBox) {
    mMessageBox->SetTargetAndDrawRects({0.0f, 0.0f, static_cast<float>(mWidth), static_cast<float>(mHeight)});
    mMessageBox->OnResized();
  }
  ResizeSurface();
  if (mLayoutOnResize && mLayout) mLayout(*this);
}

int IGraphics::BitmapScale() const {
  return std::clamp(static_cast<int>(std::ceil(GetTotalScale() - 1e-6)), 1,
                    static_cast<int>(kMaxDrawScale) * 4);
}

void IGraphics::SetScaleLimits(float lowest, float highest) {
  if (!(lowest <= highest)) return;
  mMinScale = std::clamp(lowest, kMinDrawScale, kMaxDrawScale);
  mMaxScale = std::clamp(highest, kMinDrawScale, kMaxDrawScale);
}

void IGraphics::SetScreenScale(double scale) {
  if (!(scale > 0.0) || !std::isfinite(scale)) return;
  mScreenScale = scale;
  const double total = GetTotalScale();
  mDelegate.RequestEditorSize(static_cast<int>(std::lround(mWidth * total)),
                              static_cast<int>(std::lround(mHeight * total)));
  ResizeNativeWindow();
  for (auto& control : mControls) {
    ReloadBitmap(*control);
    control->OnScaleChanged();
    control->MarkDirty(false);
  }
  ResizeSurface();
}

void IGraphics::ReloadBitmap(IControl& control) {
  if (auto* holder = dynamic_cast<IBitmapBase*>(&control)) holder->ReloadBitmap(*this);
}

// --- Pointer -------------------------------------------------------------

int IGraphics::SetMouseCursor(int shape) {
  const int previous = mCursor;
  mCursor = shape >= kCursorArrow && shape <= kCursorHelp ? shape : kCursorArrow;
  if (mWindow) mWindow->SetCursor(mCursor);
  return previous;
}

void IGraphics::HideMouseCursor(bool hide, bool /*lock*/) {
  // The back end cannot move the pointer, so a locked pointer simply stays
  // where the window system leaves it.
  if (mCursorHidden == hide) return;
  mCursorHidden = hide;
  if (mWindow) mWindow->HideCursor(hide);
}

}  // namespace igraphics
