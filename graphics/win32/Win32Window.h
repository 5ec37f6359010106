// The Win32 form of Window: a child window of the host's HWND, created on
// the host's GUI thread inside effEditOpen. Its messages arrive through the
// host's message loop on that thread: input becomes WindowEvents that the
// editor takes on its next idle call, WM_PAINT copies the last presented
// frame, and WM_TIMER calls the tick handler (the host's idle entry), so the
// editor runs only on the host's GUI thread. Opening, size, pointer and timer
// are in Win32Window.cpp, input in Win32Events.cpp, drawing in
// Win32Present.cpp, the clipboard in Win32Clipboard.cpp. Internal.
#pragma once

#include <windows.h>
// After windows.h: the shell's header needs its types.
#include <shellapi.h>

#include <string>
#include <vector>

#include "graphics/Window.h"

namespace graphics {

class Win32Window final : public Window {
 public:
  // Creates the child window; check Handle() afterwards.
  Win32Window(HWND parent, int widthPixels, int heightPixels);
  ~Win32Window() override;
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  HWND Handle() const { return mWindow; }

  std::uintptr_t Id() const override { return reinterpret_cast<std::uintptr_t>(mWindow); }
  void Resize(int widthPixels, int heightPixels) override;
  void Present(const std::uint32_t* argb, int widthPixels, int heightPixels, int strideBytes) override;
  std::vector<WindowEvent> TakeEvents() override;
  void SetCursor(int shape) override;
  void HideCursor(bool hide) override;
  void MovePointer(float x, float y) override;
  void SetClipboardText(const std::string& text) override;
  std::string GetClipboardText() override;
  double ScreenScale() const override;
  void SetTickHandler(std::function<void()> tick) override { mTick = std::move(tick); }

  // The window procedure's work for one message; false for messages left to
  // DefWindowProc.
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  // Win32Events.cpp
  bool HandleInput(UINT message, WPARAM wParam, LPARAM lParam);
  void OnButton(UINT message, WPARAM wParam, LPARAM lParam);
  void OnMove(WPARAM wParam, LPARAM lParam);
  void OnWheel(WPARAM wParam, LPARAM lParam);
  void OnKey(bool down, WPARAM wParam);
  void OnDrop(HDROP drop);
  // Win32Present.cpp
  void Paint();
  bool EnsureFrame(int width, int height);
  void ReleaseFrame();
  // Win32Window.cpp
  void ApplyCursor() const;

  HWND mWindow = nullptr;
  std::vector<WindowEvent> mEvents;
  std::function<void()> mTick;
  bool mDestroyed = false;  // by the system, with its parent
  bool mTrackingLeave = false;

  // The last frame, kept for WM_PAINT: a top-down 32-bit DIB section.
  HDC mFrameDc = nullptr;
  HBITMAP mFrame = nullptr;
  HGDIOBJ mFrameOld = nullptr;
  std::uint32_t* mFramePixels = nullptr;
  int mFrameWidth = 0, mFrameHeight = 0;

  int mCursorShape = 0;
  bool mCursorHidden = false;
};

// The X11 keysym the editor's key translation expects for a virtual key and
// the character it typed (0 for none); 0 for keys it does not know.
std::uint32_t KeysymForVirtualKey(unsigned virtualKey, char32_t character);

}  // namespace graphics
