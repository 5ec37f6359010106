// The base of every editor control: its place, looks and flags, its value
// slots bound to parameters, and the virtual operations through which the
// editor window delivers mouse, key and drop events. Controls live and are
// used on the editor's thread only (the host's GUI thread).
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "IGEditorDelegate.h"
#include "IGraphicsTypes.h"
#include "PopupMenu.h"

namespace iplug {
class IParam;
}

namespace igraphics {

class IGraphics;

inline constexpr int kNoParameter = -1;
inline constexpr int kNoTag = -1;

class IControl {
 public:
  using ActionFunction = std::function<void(IControl* caller)>;
  using AnimationFunction = std::function<void(IControl* caller)>;

  struct ValueSlot {
    int paramIdx = kNoParameter;
    double value = 0.0;  // normalized
  };

  explicit IControl(const Rect& bounds, int paramIdx = kNoParameter, ActionFunction action = nullptr);
  virtual ~IControl() = default;
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // Mouse events, in editor units.
  virtual void OnMouseDown(float x, float y, const MouseMods& mods);
  virtual void OnMouseUp(float /*x*/, float /*y*/, const MouseMods& /*mods*/) {}
  virtual void OnMouseDrag(float /*x*/, float /*y*/, float /*dx*/, float /*dy*/, const MouseMods& /*mods*/) {}
  virtual void OnMouseDoubleClick(float x, float y, const MouseMods& mods);
  virtual void OnMouseWheel(float /*x*/, float /*y*/, const MouseMods& /*mods*/, float /*delta*/) {}
  // True when the control used the key.
  virtual bool OnControlKeyDown(float /*x*/, float /*y*/, const KeyPress& /*key*/) { return false; }
  virtual bool OnControlKeyUp(float /*x*/, float /*y*/, const KeyPress& /*key*/) { return false; }
  virtual void OnMouseOver(float x, float y, const MouseMods& mods);
  virtual void OnMouseOut();
  virtual void OnDrop(const char* /*path*/) {}
  virtual void OnDropMultiple(const std::vector<std::string>& paths);
  virtual void OnScaleChanged() {}
  virtual void OnResized() {}
  virtual void OnInit() {}
  virtual void OnAttached() {}
  virtual void OnPluginMessage(int /*messageTag*/, int /*size*/, const void* /*data*/) {}
  virtual void OnMidi(const unsigned char (&/*status*/)[3]) {}
  virtual void CreateContextMenu(PopupMenu& /*menu*/) {}
  // A menu this control asked for closed: the menu (null when nothing was
  // chosen) and the slot it was asked for.
  virtual void OnMenuChoice(PopupMenu* menu, int slot);
  // A text entry this control asked for, on a slot without a parameter, was
  // committed.
  virtual void OnTextEntered(const char* /*text*/, int /*slot*/) {}

  virtual void Draw(IGraphics& g) = 0;

  // Value slots.
  virtual void BindParam(int paramIdx, int slot = 0);
  // 0 for a control with one slot, -1 (no particular slot) for several.
  virtual int ValueSlotAt(float x, float y) const;
  // A value from the plug-in; ignored while the user drags this control.
  virtual void SetValueFromPlugin(double value, int slot = 0);
  // A value the user chose; notifies the parameter when it changed.
  virtual void SetValueFromUser(double value, int slot = 0);
  // Parameter defaults into the slot (every slot for -1), then notifies.
  virtual void ResetValueToDefault(int slot = -1);
  virtual void SetControlValue(double value, int slot = 0);
  virtual void SetTextStyle(const TextStyle& style) { mTextStyle = style; }
  virtual void MoveTo(float x, float y);
  virtual void SetControlSize(float w, float h);
  virtual void SetHidden(bool hide);
  virtual void SetDisabled(bool disable);
  virtual void SetIgnoreMouse(bool ignore) { mIgnoreMouse = ignore; }
  virtual bool HitTest(float x, float y) const;
  // Clamps the slot's value (every slot for -1) into [0, 1] and marks the
  // control for redrawing; with notify the bound parameters, the other
  // controls bound to them and the action callback learn the value.
  virtual void MarkDirty(bool notify, int slot = -1);
  virtual void MarkClean() { mDirty = false; }
  virtual bool NeedsRedraw() const { return mAnimationFunc ? true : mDirty; }
  // Maps a pointer position inside `r` to a value in [low, high] (steps of
  // 0.001) and stores it like a user change.
  virtual void SetValueFromPointer(float x, float y, bool horizontal, const Rect& r, int slot = 0,
                                   double low = 0.0, double high = 1.0);
  virtual void FinishAnimation();

  // Asks the user for the slot's value by a menu (named values) or a text
  // entry; nothing without a parameter or while prompting is disabled.
  void AskUserForValue(int slot);

  // Fields.
  const Rect& GetRect() const { return mRect; }
  const Rect& GetTargetRect() const { return mTargetRect; }
  void SetRect(const Rect& r) { mRect = r; }
  void SetTargetRect(const Rect& r) { mTargetRect = r; }
  void SetTargetAndDrawRects(const Rect& r) { mRect = mTargetRect = r; }
  const std::string& GetGroup() const { return mGroup; }
  void SetGroup(std::string group) { mGroup = std::move(group); }
  const std::string& GetTooltip() const { return mTooltip; }
  // A changed text is drawn again, in a tooltip that shows.
  void SetTooltipText(std::string text) {
    if (text == mTooltip) return;
    mTooltip = std::move(text);
    mDirty = true;
  }
  const TextStyle& GetTextStyle() const { return mTextStyle; }
  const Blend& GetBlend() const { return mBlend; }
  int GetTextEntryLength() const { return mTextEntryLength; }
  void SetTextEntryLength(int length) { mTextEntryLength = length; }

  bool IsDirty() const { return mDirty; }
  bool IsHidden() const { return mHidden; }
  bool IsDisabled() const { return mDisabled; }
  bool GetPromptDisabled() const { return mPromptDisabled; }
  void DisablePrompt(bool disable) { mPromptDisabled = disable; }
  bool GetDblAsSingleClick() const { return mDblAsSingleClick; }
  void SetDblAsSingleClick(bool on) { mDblAsSingleClick = on; }
  bool GetMouseOverWhenDisabled() const { return mMouseOverWhenDisabled; }
  void SetMouseOverWhenDisabled(bool on) { mMouseOverWhenDisabled = on; }
  bool GetMouseEventsWhenDisabled() const { return mMouseEventsWhenDisabled; }
  void SetMouseEventsWhenDisabled(bool on) { mMouseEventsWhenDisabled = on; }
  bool GetIgnoreMouse() const { return mIgnoreMouse; }
  bool GetWantsMidi() const { return mWantsMidi; }
  void SetWantsMidi(bool on) { mWantsMidi = on; }
  bool GetShowLabelInTextEntry() const { return mShowLabelInTextEntry; }
  void SetShowLabelInTextEntry(bool on) { mShowLabelInTextEntry = on; }
  bool GetMouseIsOver() const { return mMouseIsOver; }

  int NVals() const { return static_cast<int>(mVals.size()); }
  // Adds slots (unbound, value 0) up to `count`.
  void SetNVals(int count);
  double GetValue(int slot = 0) const;
  int GetParamIdx(int slot = 0) const;
  bool IsBound(int slot) const { return GetParamIdx(slot) > kNoParameter; }
  // The first slot bound to the parameter, or -1.
  int SlotForParam(int paramIdx) const;
  // The parameter of the slot, when bound and the delegate knows it.
  const iplug::IParam* GetParam(int slot = 0) const;

  void SetActionFunction(ActionFunction action) { mAction = std::move(action); }
  // Animation: the function runs on every editor idle until FinishAnimation.
  void SetAnimation(AnimationFunction func, int durationMs);
  void SetAnimationEndFunction(AnimationFunction func) { mAnimationEndFunc = std::move(func); }
  // 0 ... 1 (and beyond once the duration has passed); 0 without animation.
  double GetAnimationProgress() const;
  void Animate();
  bool IsAnimating() const { return mAnimationFunc != nullptr; }

  // Set by IGraphics::AddControl.
  void SetDelegate(IGEditorDelegate* delegate) { mDelegate = delegate; }
  IGEditorDelegate* GetDelegate() const { return mDelegate; }
  void SetGraphics(IGraphics* graphics) { mGraphics = graphics; }
  IGraphics* GetUI() const { return mGraphics; }

 protected:
  void SetMouseIsOver(bool over) { mMouseIsOver = over; }

  Rect mRect;
  Rect mTargetRect;
  std::string mGroup;
  std::string mTooltip;
  TextStyle mTextStyle;
  Blend mBlend;
  int mTextEntryLength = 7;

 private:
  // The slots MarkDirty and friends work on: all for -1 with several slots.
  template <typename F>
  void ForSlots(int slot, F&& f);

  bool mDirty = true;
  bool mHidden = false;
  bool mDisabled = false;
  bool mPromptDisabled = true;
  bool mDblAsSingleClick = false;
  bool mMouseOverWhenDisabled = false;
  bool mMouseEventsWhenDisabled = false;
  bool mIgnoreMouse = false;
  bool mWantsMidi = false;
  bool mShowLabelInTextEntry = false;
  bool mMouseIsOver = false;

  IGEditorDelegate* mDelegate = nullptr;
  IGraphics* mGraphics = nullptr;
  std::vector<ValueSlot> mVals;
  ActionFunction mAction;
  AnimationFunction mAnimationFunc;
  AnimationFunction mAnimationEndFunc;
  std::chrono::steady_clock::time_point mAnimationStart;
  int mAnimationDurationMs = 0;
};

}  // namespace igraphics
