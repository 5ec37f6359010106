// The editor window: an ordered list of controls drawn on a surface, the
// dispatch of mouse and key events to them, scaling and resizing, bitmaps and
// fonts, popup menus, text entry, tooltips and message boxes drawn inside the
// editor, and the operating-system services the controls ask for.
//
// Threads: everything here runs on the host's GUI thread (the thread that
// calls effEditOpen, effEditIdle and effEditClose), except the process-wide
// bitmap cache behind LoadBitmapResource, which has its own lock.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "IControl.h"
#include "IGEditorDelegate.h"
#include "IGraphicsTypes.h"
#include "PlatformServices.h"
#include "PopupMenu.h"
#include "graphics/Drawing.h"
#include "graphics/Window.h"

namespace igraphics {

class ICornerResizerControl;
class IPopupMenuControl;
class ITextEntryControl;
class IMessageBoxControl;

inline constexpr float kMinDrawScale = 0.5f;
inline constexpr float kMaxDrawScale = 4.0f;
inline constexpr int kTooltipDelayMs = 500;
inline constexpr float kTooltipMaxWidthPixels = 250.0f;

enum class ResizeMode { Scale, Size };

enum MessageBoxType { kMB_OK = 0, kMB_YESNO = 4 };
enum MessageBoxResult { kResultNone = 0, kResultOK = 1, kResultCancel = 2, kResultYes = 6, kResultNo = 7 };

// The "%s@%dx%s" name of a bitmap stored at a scale ("a.png", 2 -> "a@2x.png");
// the name itself for scale 1.
std::string ScaledResourceName(const std::string& name, int scale);
// The scales LoadBitmapResource tries for a target scale, in order.
std::vector<int> BitmapScaleSearchOrder(int targetScale);
// Empties the process-wide bitmap cache (tests; any thread).
void ClearBitmapCache();

class IGraphics {
 public:
  using LayoutFunction = std::function<void(IGraphics& graphics)>;
  // Decides about a key no control used; true when it used it.
  using KeyHandler = std::function<bool(float x, float y, const KeyPress& key, bool isUp)>;
  using MessageBoxCompletion = std::function<void(int result)>;

  // width and height in editor units; `surface` is what the editor draws on
  // (resized here to width x height x draw scale x screen scale pixels); it
  // may be null, and then nothing is drawn.
  IGraphics(IGEditorDelegate& delegate, int width, int height, int fps, float scale,
            std::unique_ptr<graphics::Surface> surface);
  ~IGraphics();
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // --- The native window ---------------------------------------------------
  // Opens the child window of `parent` (an X11 window id), draws and presents.
  bool OpenWindow(std::uintptr_t parent, std::string* error = nullptr);
  // Dismisses what was open in the window (DismissTransients), then closes
  // it. A path prompt typed in the editor is given up without an answer.
  void CloseWindow();
  bool WindowIsOpen() const { return mWindow != nullptr; }
  // The host's idle call: window events, tooltips, animations, then drawing
  // and presenting when anything changed. True when it drew.
  bool OnIdle();
  // Draws every control when any needs it, then marks them clean. True when
  // it drew.
  bool Draw();
  bool WritePng(const std::string& path) const;
  graphics::Surface* GetSurface() { return mSurface.get(); }
  graphics::Window* GetWindow() { return mWindow.get(); }

  // --- Controls ------------------------------------------------------------
  // Attaches the control; none when the tag (>= 0) is already taken.
  IControl* AddControl(std::unique_ptr<IControl> control, int tag = kNoTag, const std::string& group = "");
  template <typename T>
  T* AttachControl(std::unique_ptr<T> control, int tag = kNoTag, const std::string& group = "") {
    return static_cast<T*>(AddControl(std::move(control), tag, group));
  }
  IControl* ControlAt(int position) const;
  int ControlCount() const { return static_cast<int>(mControls.size()); }
  IControl* ControlWithTag(int tag) const;
  void RemoveAllControls();
  template <typename F>
  void ForAllControls(F&& f) {
    for (auto& control : mControls) f(*control);
  }

  void SetCornerResizer(std::unique_ptr<ICornerResizerControl> control, ResizeMode mode,
                        bool layoutOnResize = false);
  ICornerResizerControl* GetCornerResizer() const { return mCornerResizer.get(); }
  ResizeMode GetResizeMode() const { return mResizeMode; }
  void AddTextEntry(const TextStyle& style);
  ITextEntryControl* GetTextEntryHost() const { return mTextEntry.get(); }
  void AddPopupMenuHost(const TextStyle& style, const Rect& bounds = {});
  IPopupMenuControl* GetPopupMenuHost() const { return mPopupHost.get(); }

  void SetLayoutFunction(LayoutFunction layout) { mLayout = std::move(layout); }
  void SetLayoutOnResize(bool on) { mLayoutOnResize = on; }
  void SetKeyHandler(KeyHandler handler) { mKeyHandler = std::move(handler); }
  IGEditorDelegate& GetDelegate() const { return mDelegate; }

  // --- Values --------------------------------------------------------------
  bool IsCaptured(const IControl* control) const;
  // Every other control with a slot bound to the parameter gets the value
  // (its first such slot).
  void UpdatePeerControls(IControl* sender, int paramIdx, double normalized);
  // Every slot of every control bound to the parameter gets the value.
  void SendParamToControls(int paramIdx, double normalized);
  void SendControlValue(int tag, double normalized);
  void SendControlMessage(int tag, int messageTag, int size, const void* data);

  // --- Asking the user -----------------------------------------------------
  void AskUserForValue(IControl* control, const Rect& anchor, int slot);
  // Shows a copy of the menu; the result reaches the control's OnMenuChoice.
  void ShowPopupMenu(IControl* control, const PopupMenu& menu, const Rect& anchor, int slot = 0);
  void ShowTextEntry(IControl* control, const TextStyle& style, const Rect& bounds, const std::string& text,
                     int slot = 0);
  // The popup-menu host closed: the (sub)menu that holds the chosen item, or
  // null when nothing was chosen.
  void DeliverMenuResult(PopupMenu* chosen);
  // The text-entry host committed or cancelled.
  void CommitTextEntry(const std::string& text);
  void CancelTextEntry();
  IControl* TextEntryRequester() const { return mTextEntryRequester; }
  bool TextEntryActive() const;
  bool PopupMenuShowing() const;
  // Closes what lives only while the editor is in sight: the tooltip, a
  // menu (its control learns that nothing was chosen), a text entry
  // (cancelled) and a press whose release will not arrive (the pressed
  // control's gestures end). When the editor closes and when the host hides
  // it without closing it.
  void DismissTransients();

  // --- Mouse and keys (editor units) ----------------------------------------
  void OnMouseDown(float x, float y, const MouseMods& mods);
  void OnMouseUp(float x, float y, const MouseMods& mods);
  void OnMouseDrag(float x, float y, float dx, float dy, const MouseMods& mods);
  void OnMouseDblClick(float x, float y, const MouseMods& mods);
  void OnMouseWheel(float x, float y, const MouseMods& mods, float notches);
  // A move without buttons.
  void OnMouseOver(float x, float y, const MouseMods& mods);
  // The pointer left the window.
  void OnMouseOut();
  // Files dropped at (x, y): the control under the point gets them.
  void OnDrop(const std::vector<std::string>& paths, float x, float y);
  // True when a control or the key handler used the key.
  bool OnKeyDown(float x, float y, const KeyPress& key);
  bool OnKeyUp(float x, float y, const KeyPress& key);

  // The control a mouse event at (x, y) goes to, in hit-testing order;
  // `capture` makes it the captured control, `mouseOver` asks for hover.
  IControl* GetMouseControl(float x, float y, bool capture, bool mouseOver = false);
  void ReleaseMouseCapture();
  IControl* GetCapturedControl() const { return mCaptured; }
  IControl* GetMouseOverControl() const { return mMouseOver; }
  // The pointer's last position over the editor (keys from the host go
  // there).
  float PointerX() const { return mLastX; }
  float PointerY() const { return mLastY; }
  void BeginResizeDrag() { mResizeDragActive = true; }
  bool ResizeDragActive() const { return mResizeDragActive; }
  void EnableMouseOver(bool on);
  bool MouseOverEnabled() const { return mMouseOverEnabled; }
  void EnableTooltips(bool on);
  bool TooltipsEnabled() const { return mTooltipsEnabled; }
  // No multi-touch digitizer here: stays off.
  bool EnableMultiTouch(bool /*on*/) { return false; }
  // The tooltip shown: the mouse-over control's current tooltip text ("" when
  // none shows).
  std::string ShownTooltip() const;

  // --- Sizes and scales ----------------------------------------------------
  void ResizeEditor(int width, int height, float scale, bool hostMustFollow);
  // The draw scales ResizeEditor accepts (within kMinDrawScale ... kMaxDrawScale).
  void SetScaleLimits(float lowest, float highest);
  float MinScale() const { return mMinScale; }
  float MaxScale() const { return mMaxScale; }
  void SetScreenScale(double scale);
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  float GetDrawScale() const { return mDrawScale; }
  double GetScreenScale() const { return mScreenScale; }
  double GetTotalScale() const { return static_cast<double>(mDrawScale) * mScreenScale; }
  int FPS() const { return mFPS; }
  // The resolution bitmaps are loaded at: the total scale rounded up, so a
  // bitmap is never enlarged on screen (at draw scale 3 the @3x one, made
  // from the nearest stored resolution when there is none).
  int BitmapScale() const;

  // --- Resources -----------------------------------------------------------
  // Target scale 0: the screen scale rounded up. An invalid bitmap when the
  // image is nowhere to be found.
  Bitmap LoadBitmapResource(const std::string& name, int frames = 1, bool framesHorizontal = false,
                            int targetScale = 0);
  bool LoadFontResource(const std::string& fontId, const std::string& fileName);

  // --- Pointer -------------------------------------------------------------
  // Returns the previous shape.
  int SetMouseCursor(int shape);
  int GetMouseCursor() const { return mCursor; }
  void HideMouseCursor(bool hide = true, bool lock = true);
  bool CursorHidden() const { return mCursorHidden; }

  // --- Dialogs and the system ---------------------------------------------
  // Drawn inside the editor; does not block: the answer reaches `completion`
  // (kResultOK, kResultYes or kResultNo). Returns kResultNone.
  int ShowMessageBox(const std::string& text, const std::string& caption, int type,
                     MessageBoxCompletion completion = nullptr);
  IMessageBoxControl* GetMessageBox() const { return mMessageBox.get(); }
  void CloseMessageBox(int result);
  // A confirmation text asks first (Yes/No) and returns false at once; the
  // address opens after Yes. `done` (optional) learns the final outcome.
  bool OpenURL(const std::string& address, const std::string& title = "", const std::string& confirm = "",
               const std::string& error = "", std::function<void(bool opened)> done = nullptr);
  // A desktop dialog through the platform services, else a path typed into
  // an entry across the editor's top. `done` gets the path, "" when none.
  void PromptForFile(const std::string& path, const std::string& folder, FileAction action,
                     const std::string& extensions, std::function<void(const std::string& chosen)> done);
  void PromptForDirectory(const std::string& folder, std::function<void(const std::string& chosen)> done);
  bool RevealPath(const std::string& path, bool select);
  void SetPlatformServices(PlatformServices services) { mPlatform = std::move(services); }
  std::string GetClipboardText();
  void SetClipboardText(const std::string& text);

  // --- Drawing (during Draw; nothing without a surface) ---------------------
  void DrawBitmap(const Bitmap& bitmap, const Rect& dest, int srcX, int srcY, const Blend* blend = nullptr);
  void DrawFittedBitmap(const Bitmap& bitmap, const Rect& dest, const Blend* blend = nullptr);
  void DrawRotatedBitmap(const Bitmap& bitmap, float cx, float cy, float angleDegrees,
                         const Blend* blend = nullptr);
  void DrawPoint(const Color& color, float x, float y, const Blend* blend = nullptr);
  void DrawLine(const Color& color, float x1, float y1, float x2, float y2, const Blend* blend = nullptr,
                float thickness = 1.0f);
  void DrawDottedLine(const Color& color, float x1, float y1, float x2, float y2,
                      const Blend* blend = nullptr, float thickness = 1.0f);
  void DrawTriangle(const Color& color, float x1, float y1, float x2, float y2, float x3, float y3,
                    const Blend* blend = nullptr, float thickness = 1.0f);
  void FillTriangle(const Color& color, float x1, float y1, float x2, float y2, float x3, float y3,
                    const Blend* blend = nullptr);
  void DrawRect(const Color& color, const Rect& r, const Blend* blend = nullptr, float thickness = 1.0f);
  void FillRect(const Color& color, const Rect& r, const Blend* blend = nullptr);
  void DrawDottedRect(const Color& color, const Rect& r, const Blend* blend = nullptr,
                      float thickness = 1.0f);
  void DrawRoundRect(const Color& color, const Rect& r, float radius, const Blend* blend = nullptr,
                     float thickness = 1.0f);
  void DrawRoundRect(const Color& color, const Rect& r, float tl, float tr, float br, float bl,
                     const Blend* blend = nullptr, float thickness = 1.0f);
  void FillRoundRect(const Color& color, const Rect& r, float radius, const Blend* blend = nullptr);
  void FillRoundRect(const Color& color, const Rect& r, float tl, float tr, float br, float bl,
                     const Blend* blend = nullptr);
  // Angles in degrees, clockwise from 12 o'clock.
  void DrawArc(const Color& color, float cx, float cy, float r, float fromDegrees, float toDegrees,
               const Blend* blend = nullptr, float thickness = 1.0f);
  void FillArc(const Color& color, float cx, float cy, float r, float fromDegrees, float toDegrees,
               const Blend* blend = nullptr);
  void DrawCircle(const Color& color, float cx, float cy, float r, const Blend* blend = nullptr,
                  float thickness = 1.0f);
  void FillCircle(const Color& color, float cx, float cy, float r, const Blend* blend = nullptr);
  void DrawEllipse(const Color& color, const Rect& r, const Blend* blend = nullptr, float thickness = 1.0f);
  void DrawEllipse(const Color& color, float cx, float cy, float rx, float ry, float angleDegrees,
                   const Blend* blend = nullptr, float thickness = 1.0f);
  void FillEllipse(const Color& color, const Rect& r, const Blend* blend = nullptr);
  void FillEllipse(const Color& color, float cx, float cy, float rx, float ry, float angleDegrees,
                   const Blend* blend = nullptr);
  void DrawConvexPolygon(const Color& color, const float* x, const float* y, int count,
                         const Blend* blend = nullptr, float thickness = 1.0f);
  void FillConvexPolygon(const Color& color, const float* x, const float* y, int count,
                         const Blend* blend = nullptr);
  // Lines every gridW across and gridH down (only where the spacing > 1).
  void DrawGrid(const Color& color, const Rect& r, float gridW, float gridH, const Blend* blend = nullptr,
                float thickness = 1.0f);
  // A curve through normalized y values (0 at the bottom), spread evenly or
  // at the normalized x values.
  void DrawData(const Color& color, const Rect& r, const float* normY, int count,
                const float* normX = nullptr, const Blend* blend = nullptr, float thickness = 1.0f);
  void DrawText(const TextStyle& style, const std::string& text, const Rect& r, const Blend* blend = nullptr);
  // The width and height of the text in editor units (an estimate without a
  // surface).
  Rect MeasureText(const TextStyle& style, const std::string& text);

  void PathClear();
  void PathMoveTo(float x, float y);
  void PathLineTo(float x, float y);
  void PathArc(float cx, float cy, float r, float fromDegrees, float toDegrees);
  void PathClose();
  void PathStroke(const Color& color, float thickness = 1.0f, const Blend* blend = nullptr);
  void PathFill(const Color& color, const Blend* blend = nullptr);

 private:
  void ResizeSurface();
  // A bitmap control's bitmap at the current bitmap scale.
  void ReloadBitmap(IControl& control);
  void ResizeNativeWindow();
  void InitSpecialControl(IControl& control);
  // The parameters bound to the control's slots, gathered before a call that
  // may destroy the control.
  static std::vector<int> BoundParams(const IControl& control);
  void EndGestures(const std::vector<int>& params);
  // A press whose release this window will not see: the captured control's
  // gestures end now rather than never, and the capture goes.
  void AbandonPress();
  void DismissPopupMenu();
  void HandleWindowEvent(const graphics::WindowEvent& event);
  // A message box, menu or text entry takes the mouse.
  bool ModalShowing() const;
  // The hover and the tooltip's rest start over where the pointer is, after
  // a menu, text entry or message box closed.
  void HoverAgainAtPointer();
  void UpdateTooltip();
  void HideTooltip();
  void DrawTooltip();
  bool AnythingNeedsRedraw() const;
  void MarkAllDirty();
  void ForEachSpecialControl(const std::function<void(IControl&)>& f);
  void PromptForPathInEditor(const std::string& initial, std::function<void(const std::string&)> done);

  IGEditorDelegate& mDelegate;
  int mWidth;
  int mHeight;
  int mFPS;
  float mDrawScale;
  float mMinScale = kMinDrawScale;
  float mMaxScale = kMaxDrawScale;
  double mScreenScale = 1.0;
  std::unique_ptr<graphics::Surface> mSurface;
  std::unique_ptr<graphics::Window> mWindow;

  std::vector<std::unique_ptr<IControl>> mControls;
  std::map<int, IControl*> mTags;
  std::unique_ptr<ICornerResizerControl> mCornerResizer;
  std::unique_ptr<ITextEntryControl> mTextEntry;
  std::unique_ptr<IPopupMenuControl> mPopupHost;
  std::unique_ptr<IMessageBoxControl> mMessageBox;
  // A box that answered goes here first: it may still be running its own
  // code when it answers.
  std::unique_ptr<IMessageBoxControl> mRetiredMessageBox;
  MessageBoxCompletion mMessageBoxCompletion;
  struct PendingMessage {
    std::string text, caption;
    int type;
    MessageBoxCompletion completion;
  };
  std::vector<PendingMessage> mPendingMessages;
  std::unique_ptr<IControl> mPathPrompt;
  float mEventX = 0.0f, mEventY = 0.0f;
  ResizeMode mResizeMode = ResizeMode::Scale;
  bool mLayoutOnResize = false;
  LayoutFunction mLayout;
  KeyHandler mKeyHandler;
  PlatformServices mPlatform;

  IControl* mCaptured = nullptr;
  IControl* mMouseOver = nullptr;
  IControl* mMenuRequester = nullptr;
  int mMenuSlot = 0;
  IControl* mTextEntryRequester = nullptr;
  int mTextEntrySlot = 0;
  bool mResizeDragActive = false;
  float mResizeOriginX = 0.0f;
  float mResizeOriginY = 0.0f;
  bool mMouseOverEnabled = false;
  bool mTooltipsEnabled = true;
  int mCursor = kCursorArrow;
  bool mCursorHidden = false;
  float mLastX = 0.0f, mLastY = 0.0f;
  bool mButtonsDown = false;
  bool mFullRedraw = true;

  std::chrono::steady_clock::time_point mLastMoveTime;
  bool mPointerInside = false;
  // The mouse-over control's tooltip shows, with the text it has at each
  // drawing.
  bool mTooltipShown = false;
  float mTooltipX = 0.0f, mTooltipY = 0.0f;
};

}  // namespace igraphics
