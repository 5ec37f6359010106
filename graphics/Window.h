// The editor's native window: a child of the host's window on the system's
// window system (X11 on Linux, with its own connection to it; Win32 on
// Windows, win32/). Everything here runs on the thread that created the
// window (the host's GUI thread).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace graphics {

struct WindowEvent {
  enum class Kind {
    MouseDown,  // a button pressed; clicks 2 for a double click
    MouseUp,    //
    MouseMove,  // with or without buttons held
    Wheel,      // notches: whole notches, up positive
    KeyDown,    // keysym and text (the typed character, UTF-8)
    KeyUp,      //
    Leave,      // the pointer left the window
    Expose,     // part of the window needs drawing again
    Drop,       // files dropped onto the window (paths)
    Hidden,     // out of sight: the host unmapped its window or one above it
    Close,      // the window system closed the window
    Rescaled,   // the screen's scale for the window changed (ScreenScale)
  };
  Kind kind = Kind::MouseMove;
  float x = 0.0f, y = 0.0f;  // pixels from the window's top-left corner
  bool left = false, right = false, shift = false, control = false, alt = false;
  int clicks = 1;
  int notches = 0;
  std::uint32_t keysym = 0;  // X11 keysym
  std::string text;
  std::vector<std::string> paths;
};

// Pointer shapes: 0 arrow, 1 I-beam, 2 wait, 3 cross, 4 up arrow, 5 diagonal
// resize (north-west to south-east), 6 diagonal resize (north-east to
// south-west), 7 horizontal resize, 8 vertical resize, 9 move, 10 not
// allowed, 11 hand, 12 busy, 13 help; anything else is the arrow.
class Window {
 public:
  virtual ~Window() = default;

  // The window system's id of this window (an X11 window id).
  virtual std::uintptr_t Id() const = 0;
  virtual void Resize(int widthPixels, int heightPixels) = 0;
  // Copies the surface's pixels to the window (shared memory where the
  // server offers it).
  virtual void Present(const std::uint32_t* argb, int widthPixels, int heightPixels, int strideBytes) = 0;
  // Reads every event waiting on the connection, without blocking.
  virtual std::vector<WindowEvent> TakeEvents() = 0;
  virtual void SetCursor(int shape) = 0;
  virtual void HideCursor(bool hide) = 0;
  // Moves the pointer to a point of the window (pixels from its top-left
  // corner), e.g. back to where it was hidden. Nothing by default.
  virtual void MovePointer(float x, float y) {
    (void)x;
    (void)y;
  }
  // The system clipboard (the CLIPBOARD selection), plain UTF-8 text. Get
  // answers "" when there is none or its owner does not answer in time.
  virtual void SetClipboardText(const std::string& text) = 0;
  virtual std::string GetClipboardText() = 0;
  // Pixels per editor unit the screen asks for (1 on an ordinary screen).
  virtual double ScreenScale() const = 0;
  // A window system whose windows have timers of their own (Win32) calls
  // `tick` from this window's timer, on its thread, while it is open, so the
  // editor stays alive when a host calls its idle entry seldom. Nothing by
  // default: on X11 the host's idle calls alone drive the editor.
  virtual void SetTickHandler(std::function<void()> tick) { (void)tick; }
};

// Opens a child window of `parent` (an X11 window id on a connection of its
// own; an HWND on Windows); null with a reason in `error` when there is no
// display or no such parent. The window accepts dropped files (XDND, or the
// shell's WM_DROPFILES).
std::unique_ptr<Window> OpenChildWindow(std::uintptr_t parent, int widthPixels, int heightPixels,
                                        std::string& error);

// The screen's scale before any window is open: what ScreenScale will answer
// for a window on the default screen (1 when there is no display). A host
// sizes its window from the editor's size before it opens the editor.
double DefaultScreenScale();

}  // namespace graphics
