// The X11 form of Window: a child of the host's window on a connection of
// its own. Opening and the plain window calls are in X11Window.cpp, drawing
// in X11Present.cpp, input in X11Events.cpp, the clipboard in
// X11Clipboard.cpp and dropped files in X11Dnd.cpp. Internal; every call on
// the thread that opened the window.
#pragma once

// Before Xlib: X.h's event type macro Expose would replace the event kind
// of the same name.
#include "Window.h"

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <string>

constexpr int kX11ExposeEvent = Expose;
#undef Expose

namespace graphics {

struct X11Atoms {
  Atom clipboard, utf8String, targets, clipboardProperty;
  Atom xdndAware, xdndEnter, xdndPosition, xdndStatus, xdndLeave, xdndDrop, xdndFinished;
  Atom xdndSelection, xdndTypeList, xdndActionCopy, uriList, dropProperty, incr;
};

class X11Window final : public Window {
 public:
  // Takes over the connection and the window (created, not yet mapped).
  X11Window(Display* display, ::Window window, Visual* visual, int depth, int width, int height);
  ~X11Window() override;
  X11Window(const X11Window&) = delete;
  X11Window& operator=(const X11Window&) = delete;

  std::uintptr_t Id() const override { return mWindow; }
  void Resize(int widthPixels, int heightPixels) override;
  void Present(const std::uint32_t* argb, int widthPixels, int heightPixels, int strideBytes) override;
  std::vector<WindowEvent> TakeEvents() override;
  void SetCursor(int shape) override;
  void HideCursor(bool hide) override;
  void MovePointer(float x, float y) override;
  void SetClipboardText(const std::string& text) override;
  std::string GetClipboardText() override;
  double ScreenScale() const override { return mScreenScale; }

 private:
  // Structure events of every window above this one, up to the root: a host
  // may hide its window (or one above it) without closing the editor. Again
  // after any of them moved to another parent.
  void WatchAncestors();
  // X11Events.cpp
  void Translate(XEvent& event, std::vector<WindowEvent>& events);
  void OnButton(const XButtonEvent& button, bool press, std::vector<WindowEvent>& events);
  void OnKey(XKeyEvent& key, bool press, std::vector<WindowEvent>& events);
  // X11Present.cpp
  bool EnsureImage(int width, int height);
  void ReleaseImage();
  bool EnsureFrame(int width, int height);
  void CopyPixels(const std::uint32_t* argb, int width, int height, int strideBytes);
  // X11Clipboard.cpp
  void AnswerSelectionRequest(const XSelectionRequestEvent& request);
  void ForgetClipboard();
  // X11Dnd.cpp
  void OnClientMessage(const XClientMessageEvent& message);
  void OnDropData(const XSelectionEvent& selection, std::vector<WindowEvent>& events);
  void SendDndFinished(bool accepted);
  void ResetDnd();

  Display* mDisplay;
  ::Window mWindow;
  ::Window mRoot = 0;
  Visual* mVisual;
  int mDepth;
  GC mGc = nullptr;
  int mWidth, mHeight;
  bool mDestroyed = false;  // by the window system, with its parent
  X11Atoms mAtoms{};
  double mScreenScale = 1.0;

  // Presenting: one image kept while the size stays, in shared memory when
  // the server takes it.
  bool mShmAvailable = false;
  XImage* mImage = nullptr;
  XShmSegmentInfo mShm{};
  bool mImageShared = false;
  // The last frame, kept by the server as the window's background: the
  // server repaints uncovered parts from it by itself, also while the host
  // keeps its GUI thread busy and no idle call reaches the editor.
  Pixmap mFrame = 0;
  int mFrameWidth = 0, mFrameHeight = 0;

  Cursor mCursors[14] = {};
  Cursor mInvisibleCursor = 0;
  int mCursorShape = 0;
  bool mCursorHidden = false;

  // Double clicks: the last press that can become one.
  Time mLastPressTime = 0;
  unsigned int mLastPressButton = 0;
  int mLastPressX = 0, mLastPressY = 0;

  std::string mClipboardText;
  bool mOwnsClipboard = false;

  // A drag over the window (XDND).
  ::Window mDndSource = 0;
  bool mDndAcceptable = false;
  bool mDropPending = false;
  float mDndX = 0.0f, mDndY = 0.0f;
};

}  // namespace graphics
