#include "IControl.h"

#include <algorithm>
#include <cmath>

#include "IGEditorDelegate.h"
#include "IGraphics.h"

namespace igraphics {

IControl::IControl(const Rect& bounds, int paramIdx, ActionFunction action)
    : mRect(bounds), mTargetRect(bounds), mAction(std::move(action)) {
  mVals.push_back({paramIdx, 0.0});
}

template <typename F>
void IControl::ForSlots(int slot, F&& f) {
  if (NVals() == 1) slot = 0;
  if (slot < 0) {
    for (int i = 0; i < NVals(); ++i) f(i);
  } else if (slot < NVals()) {
    f(slot);
  }
}

void IControl::OnMouseDown(float x, float y, const MouseMods& mods) {
  if (mods.R) AskUserForValue(ValueSlotAt(x, y));
}

void IControl::OnMouseDoubleClick(float x, float y, const MouseMods& /*mods*/) {
  ResetValueToDefault(ValueSlotAt(x, y));
}

void IControl::OnMouseOver(float /*x*/, float /*y*/, const MouseMods& /*mods*/) {
  const bool was = mMouseIsOver;
  mMouseIsOver = true;
  if (!was) MarkDirty(false);
}

void IControl::OnMouseOut() {
  const bool was = mMouseIsOver;
  mMouseIsOver = false;
  if (was) MarkDirty(false);
}

void IControl::OnDropMultiple(const std::vector<std::string>& paths) {
  if (!paths.empty()) OnDrop(paths.front().c_str());
}

void IControl::OnMenuChoice(PopupMenu* menu, int slot) {
  if (!menu || slot < 0 || mPromptDisabled) return;
  const iplug::IParam* param = GetParam(slot);
  if (!param) return;
  const double value = param->Constrain(static_cast<double>(menu->ChosenItemIdx()));
  SetValueFromUser(param->NormalizedFromValue(value), slot);
}

void IControl::BindParam(int paramIdx, int slot) {
  if (slot < 0 || slot >= NVals()) return;
  mVals[static_cast<std::size_t>(slot)].paramIdx = paramIdx;
  MarkDirty(false);
}

int IControl::ValueSlotAt(float /*x*/, float /*y*/) const { return NVals() == 1 ? 0 : -1; }

void IControl::SetValueFromPlugin(double value, int slot) {
  if (slot < 0 || slot >= NVals()) return;
  if (mGraphics && mGraphics->IsCaptured(this)) return;
  if (GetValue(slot) != value) {
    SetControlValue(value, slot);
    MarkDirty(false);
  }
}

void IControl::SetValueFromUser(double value, int slot) {
  if (slot < 0 || slot >= NVals()) return;
  if (GetValue(slot) != value) {
    SetControlValue(value, slot);
    MarkDirty(true, slot);
  }
}

void IControl::ResetValueToDefault(int slot) {
  ForSlots(slot, [this](int i) {
    if (const iplug::IParam* param = GetParam(i))
      SetControlValue(param->NormalizedFromValue(param->Constrain(param->GetDefault())), i);
  });
  MarkDirty(true, slot);
}

void IControl::SetControlValue(double value, int slot) {
  if (slot >= 0 && slot < NVals()) mVals[static_cast<std::size_t>(slot)].value = value;
}

void IControl::MoveTo(float x, float y) {
  x = std::max(x, 0.0f);
  y = std::max(y, 0.0f);
  mRect = {x, y, x + mRect.W(), y + mRect.H()};
  mTargetRect = {x, y, x + mTargetRect.W(), y + mTargetRect.H()};
  OnResized();
}

void IControl::SetControlSize(float w, float h) {
  mRect = {mRect.L, mRect.T, mRect.L + w, mRect.T + h};
  mTargetRect = {mTargetRect.L, mTargetRect.T, mTargetRect.L + w, mTargetRect.T + h};
  OnResized();
}

void IControl::SetHidden(bool hide) {
  mHidden = hide;
  MarkDirty(false);
}

void IControl::SetDisabled(bool disable) {
  mDisabled = disable;
  mBlend.weight = disable ? 0.25f : 1.0f;
  MarkDirty(false);
}

bool IControl::HitTest(float x, float y) const {
  if (mTargetRect.Empty()) return false;
  return mTargetRect.Contains(x, y);
}

void IControl::MarkDirty(bool notify, int slot) {
  ForSlots(slot, [this](int i) { SetControlValue(std::clamp(GetValue(i), 0.0, 1.0), i); });
  mDirty = true;
  if (!notify) return;
  ForSlots(slot, [this](int i) {
    const int paramIdx = GetParamIdx(i);
    if (paramIdx <= kNoParameter) return;
    const double value = GetValue(i);
    if (mDelegate) mDelegate->SetParamFromEditor(paramIdx, value);
    if (mGraphics) mGraphics->UpdatePeerControls(this, paramIdx, value);
  });
  if (mAction) mAction(this);
}

void IControl::SetValueFromPointer(float x, float y, bool horizontal, const Rect& r, int slot, double low,
                                   double high) {
  r.Clamp(x, y);
  double value = 0.0;
  if (horizontal) {
    value = r.W() > 0.0f ? static_cast<double>((x - r.L) / r.W()) : 0.0;
  } else {
    value = r.H() > 0.0f ? 1.0 - static_cast<double>((y - r.T) / r.H()) : 0.0;
  }
  value = std::round(value * 1000.0) / 1000.0;
  value = std::clamp(value, low, high);
  ForSlots(slot, [this, value](int i) { SetControlValue(value, i); });
  MarkDirty(true, slot);
}

void IControl::FinishAnimation() {
  mAnimationFunc = nullptr;
  MarkDirty(false);
  if (mAnimationEndFunc) mAnimationEndFunc(this);
}

void IControl::AskUserForValue(int slot) {
  if (slot < 0 || mPromptDisabled || !mGraphics) return;
  const iplug::IParam* param = GetParam(slot);
  if (!param) return;
  const Rect anchor = param->DisplayTextCount() > 0 ? mRect : mRect.CentredBox(40.0f, 16.0f);
  mGraphics->AskUserForValue(this, anchor, slot);
}

void IControl::SetNVals(int count) {
  while (NVals() < count) mVals.push_back({});
}

double IControl::GetValue(int slot) const {
  return slot >= 0 && slot < NVals() ? mVals[static_cast<std::size_t>(slot)].value : 0.0;
}

int IControl::GetParamIdx(int slot) const {
  return slot >= 0 && slot < NVals() ? mVals[static_cast<std::size_t>(slot)].paramIdx : kNoParameter;
}

int IControl::SlotForParam(int paramIdx) const {
  for (int i = 0; i < NVals(); ++i)
    if (mVals[static_cast<std::size_t>(i)].paramIdx == paramIdx) return i;
  return -1;
}

const iplug::IParam* IControl::GetParam(int slot) const {
  const int paramIdx = GetParamIdx(slot);
  if (paramIdx <= kNoParameter || !mDelegate) return nullptr;
  return mDelegate->GetParam(paramIdx);
}

void IControl::SetAnimation(AnimationFunction func, int durationMs) {
  mAnimationFunc = std::move(func);
  mAnimationStart = std::chrono::steady_clock::now();
  mAnimationDurationMs = std::max(durationMs, 1);
}

double IControl::GetAnimationProgress() const {
  if (!mAnimationFunc) return 0.0;
  const auto elapsed = std::chrono::steady_clock::now() - mAnimationStart;
  return std::chrono::duration<double, std::milli>(elapsed).count() / mAnimationDurationMs;
}

void IControl::Animate() {
  if (mAnimationFunc) mAnimationFunc(this);
}

}  // namespace igraphics
