// One plug-in instance's editor across openings: the factory that makes the
// editor window, the layout procedure that fills it, and the open window
// itself. The plug-in class owns one and forwards the host binding's editor
// hooks to it. Everything runs on the host's GUI thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "IGEditorDelegate.h"
#include "IGraphics.h"

namespace igraphics {

class EditorSession {
 public:
  using Factory = std::function<std::unique_ptr<IGraphics>()>;

  explicit EditorSession(IGEditorDelegate& delegate) : mDelegate(delegate) {}

  void SetFactory(Factory factory) { mFactory = std::move(factory); }
  void SetLayout(IGraphics::LayoutFunction layout) { mLayout = std::move(layout); }
  // What a window with a timer of its own runs on each of its ticks (the
  // host's idle entry: graphics::Window::SetTickHandler).
  void SetWindowTick(std::function<void()> tick) { mWindowTick = std::move(tick); }

  // Makes the window (at the size and scale saved by the last close, with
  // the desktop's services of DesktopServices.h), opens
  // it in `parent` (an X11 window id), lays it out and calls
  // OnEditorOpened. False when no window could be opened.
  bool Open(std::uintptr_t parent, std::string* error = nullptr);
  // The same without a native window (drawing into the surface only).
  bool OpenOffscreen();
  // Draws the editor at `scale` into a PNG file: the open window's controls,
  // or a window made for the purpose and destroyed after (the size and scale
  // saved at the last close stay). `prepare` runs before the drawing.
  bool WriteSnapshot(const std::string& path, double scale, const std::function<void()>& prepare);
  // Saves size and scale and destroys the window with its controls (the
  // caller runs OnEditorClosed before).
  void Close();

  IGraphics* GetUI() const { return mGraphics.get(); }
  bool IsOpen() const { return mGraphics != nullptr; }

  // The host's idle call while the editor is open.
  bool OnIdle() { return mGraphics ? mGraphics->OnIdle() : false; }
  // A parameter's value reaches every control bound to it (nothing while
  // closed); a real value is normalized first.
  void SendParamToEditor(int paramIdx, double value, bool isNormalized);
  void SendControlValue(int tag, double normalized);
  void SendControlMessage(int tag, int messageTag, int size, const void* data);
  // Keys the host passes (effEditKeyDown / Up), at the pointer's position.
  bool OnKeyDown(const KeyPress& key);
  bool OnKeyUp(const KeyPress& key);

 private:
  bool Create();

  IGEditorDelegate& mDelegate;
  Factory mFactory;
  IGraphics::LayoutFunction mLayout;
  std::function<void()> mWindowTick;
  std::unique_ptr<IGraphics> mGraphics;
};

}  // namespace igraphics
