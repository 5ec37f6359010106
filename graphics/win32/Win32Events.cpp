// Input messages of the editor's window turned into WindowEvents.
#include "Win32Window.h"
// After windows.h (through Win32Window.h): the message crackers.
#include <windowsx.h>

#include "platform/TextEncoding.h"

namespace graphics {
namespace {

constexpr int kWheelNotch = 120;  // WHEEL_DELTA

bool KeyHeld(int virtualKey) { return (GetKeyState(virtualKey) & 0x8000) != 0; }

void SetModifiers(WindowEvent& event) {
  event.shift = KeyHeld(VK_SHIFT);
  event.control = KeyHeld(VK_CONTROL);
  event.alt = KeyHeld(VK_MENU);
}

void SetButtons(WindowEvent& event, WPARAM keys) {
  event.left = (keys & MK_LBUTTON) != 0;
  event.right = (keys & MK_RBUTTON) != 0;
}

void SetPosition(WindowEvent& event, LPARAM lParam) {
  event.x = static_cast<float>(GET_X_LPARAM(lParam));
  event.y = static_cast<float>(GET_Y_LPARAM(lParam));
}

void AppendUtf8(std::string& out, char32_t code) {
  std::wstring wide;
  if (code >= 0x10000) {
    wide += static_cast<wchar_t>(0xd800 + ((code - 0x10000) >> 10));
    wide += static_cast<wchar_t>(0xdc00 + ((code - 0x10000) & 0x3ff));
  } else {
    wide += static_cast<wchar_t>(code);
  }
  out += platform::Utf16ToUtf8(wide);
}

}  // namespace

bool Win32Window::HandleInput(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      OnButton(message, wParam, lParam);
      return true;
    case WM_MOUSEMOVE:
      OnMove(wParam, lParam);
      return true;
    case WM_MOUSEWHEEL:
      OnWheel(wParam, lParam);
      return true;
    case WM_MOUSELEAVE: {
      mTrackingLeave = false;
      WindowEvent leave;
      leave.kind = WindowEvent::Kind::Leave;
      mEvents.push_back(leave);
      return true;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
      // Alt combinations stay with the system (the host's menu keys).
      if ((message == WM_SYSKEYDOWN || message == WM_SYSKEYUP) && wParam != VK_F10) return false;
      OnKey(message == WM_KEYDOWN || message == WM_SYSKEYDOWN, wParam);
      return true;
    case WM_CHAR:
      // A character without its key press (an input method's): a key of
      // its own.
      if (wParam >= 0x20 && wParam != 0x7f) {
        WindowEvent typed;
        typed.kind = WindowEvent::Kind::KeyDown;
        SetModifiers(typed);
        AppendUtf8(typed.text, static_cast<char32_t>(wParam));
        typed.keysym = KeysymForVirtualKey(0, static_cast<char32_t>(wParam));
        mEvents.push_back(typed);
      }
      return true;
    case WM_DROPFILES:
      OnDrop(reinterpret_cast<HDROP>(wParam));
      return true;
    case WM_CAPTURECHANGED:
      return true;
    default:
      return false;
  }
}

void Win32Window::OnButton(UINT message, WPARAM wParam, LPARAM lParam) {
  WindowEvent event;
  SetPosition(event, lParam);
  SetModifiers(event);
  const bool left = message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK || message == WM_LBUTTONUP;
  event.left = left;
  event.right = !left;
  if (message == WM_LBUTTONUP || message == WM_RBUTTONUP) {
    event.kind = WindowEvent::Kind::MouseUp;
    if ((wParam & (MK_LBUTTON | MK_RBUTTON)) == 0 && GetCapture() == mWindow) ReleaseCapture();
  } else {
    event.kind = WindowEvent::Kind::MouseDown;
    event.clicks = message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK ? 2 : 1;
    // Typing goes to the editor once it has been clicked; the drag stays
    // with it outside the window.
    SetFocus(mWindow);
    SetCapture(mWindow);
  }
  mEvents.push_back(event);
}

void Win32Window::OnMove(WPARAM wParam, LPARAM lParam) {
  if (!mTrackingLeave) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = mWindow;
    mTrackingLeave = TrackMouseEvent(&track) != FALSE;
  }
  WindowEvent move;
  move.kind = WindowEvent::Kind::MouseMove;
  SetPosition(move, lParam);
  SetButtons(move, wParam);
  SetModifiers(move);
  // Only the latest of several moves in a row matters.
  if (!mEvents.empty() && mEvents.back().kind == WindowEvent::Kind::MouseMove)
    mEvents.back() = move;
  else
    mEvents.push_back(move);
}

void Win32Window::OnWheel(WPARAM wParam, LPARAM lParam) {
  // Whole notches, truncated toward zero.
  const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / kWheelNotch;
  if (notches == 0) return;
  POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};  // screen coordinates
  ScreenToClient(mWindow, &point);
  WindowEvent wheel;
  wheel.kind = WindowEvent::Kind::Wheel;
  wheel.x = static_cast<float>(point.x);
  wheel.y = static_cast<float>(point.y);
  wheel.notches = notches;
  SetButtons(wheel, GET_KEYSTATE_WPARAM(wParam));
  SetModifiers(wheel);
  mEvents.push_back(wheel);
}

void Win32Window::OnKey(bool down, WPARAM wParam) {
  WindowEvent key;
  key.kind = down ? WindowEvent::Kind::KeyDown : WindowEvent::Kind::KeyUp;
  SetModifiers(key);
  key.left = KeyHeld(VK_LBUTTON);
  key.right = KeyHeld(VK_RBUTTON);
  char32_t character = 0;
  if (down) {
    // The host's loop translated the press before dispatching it: the
    // character it typed waits in the queue.
    MSG typed{};
    if (PeekMessageW(&typed, mWindow, WM_CHAR, WM_CHAR, PM_REMOVE)) {
      character = static_cast<char32_t>(typed.wParam);
      if (character >= 0xd800 && character < 0xdc00 &&
          PeekMessageW(&typed, mWindow, WM_CHAR, WM_CHAR, PM_REMOVE))
        character = 0x10000 + ((character - 0xd800) << 10) + (static_cast<char32_t>(typed.wParam) - 0xdc00);
      // Enter, Tab, Backspace, Escape and Control combinations type control
      // characters: they are keys, not text.
      if (character >= 0x20 && character != 0x7f) AppendUtf8(key.text, character);
    }
  }
  key.keysym = KeysymForVirtualKey(static_cast<unsigned>(wParam), key.text.empty() ? 0 : character);
  mEvents.push_back(key);
}

void Win32Window::OnDrop(HDROP drop) {
  WindowEvent event;
  event.kind = WindowEvent::Kind::Drop;
  POINT point{};
  DragQueryPoint(drop, &point);
  event.x = static_cast<float>(point.x);
  event.y = static_cast<float>(point.y);
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    if (DragQueryFileW(drop, i, path.data(), length + 1) == length && length > 0) {
      path.resize(length);
      event.paths.push_back(platform::SystemPathToUtf8(path));
    }
  }
  DragFinish(drop);
  if (!event.paths.empty()) mEvents.push_back(std::move(event));
}

}  // namespace graphics
