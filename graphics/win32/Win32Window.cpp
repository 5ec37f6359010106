// Opening and closing the editor's Win32 window, its size, pointer shapes,
// timer and the screen's scale.
#include "Win32Window.h"

#include <cmath>
#include <cwchar>
#include <mutex>

namespace graphics {
namespace {

constexpr UINT_PTR kTimerId = 1;
// The framework's 20 ms tick; the timer asks at that pace and the tick runs
// when one is due.
constexpr UINT kTimerMilliseconds = 20;
// Since Windows 10 1607 (user32, looked up at run time).
constexpr UINT kDpiChanged = 0x02E0;
constexpr UINT kDpiChangedAfterParent = 0x02E3;

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  // Nothing may unwind into the host's message loop.
  try {
    LRESULT result = 0;
    if (self && self->HandleMessage(message, wParam, lParam, result)) return result;
  } catch (...) {
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// The window class, registered while a window of this module exists. Its
// name carries the module's address: two builds of the plug-in in one host
// keep their classes apart.
class WindowClass {
 public:
  const wchar_t* Acquire() {
    std::lock_guard<std::mutex> guard(mLock);
    if (mUsers++ == 0) {
      std::swprintf(mName, sizeof mName / sizeof mName[0], L"Kalvo5Editor%p",
                    reinterpret_cast<void*>(ThisModule()));
      WNDCLASSEXW windowClass{};
      windowClass.cbSize = sizeof windowClass;
      windowClass.style = CS_DBLCLKS;
      windowClass.lpfnWndProc = &WindowProcedure;
      windowClass.hInstance = ThisModule();
      windowClass.lpszClassName = mName;
      RegisterClassExW(&windowClass);
    }
    return mName;
  }
  void Release() {
    std::lock_guard<std::mutex> guard(mLock);
    if (--mUsers == 0) UnregisterClassW(mName, ThisModule());
  }

 private:
  std::mutex mLock;
  int mUsers = 0;
  wchar_t mName[64] = {};
};

WindowClass& TheWindowClass() {
  static WindowClass windowClass;
  return windowClass;
}

// GetDpiForWindow where the system has it (Windows 10 1607 and later);
// 96 (an ordinary screen) otherwise.
UINT WindowDpi(HWND window) {
  using GetDpiForWindowProc = UINT(WINAPI*)(HWND);
  static const auto getDpi = reinterpret_cast<GetDpiForWindowProc>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  const UINT dpi = getDpi && window ? getDpi(window) : 0;
  if (dpi != 0) return dpi;
  HDC screen = GetDC(nullptr);
  const int logical = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return logical > 0 ? static_cast<UINT>(logical) : 96;
}

}  // namespace

double DefaultScreenScale() { return static_cast<double>(WindowDpi(nullptr)) / 96.0; }

std::unique_ptr<Window> OpenChildWindow(std::uintptr_t parent, int widthPixels, int heightPixels,
                                        std::string& error) {
  error.clear();
  const auto parentWindow = reinterpret_cast<HWND>(parent);
  if (!parentWindow || !IsWindow(parentWindow)) {
    error = "the parent window does not exist";
    return nullptr;
  }
  auto window = std::make_unique<Win32Window>(parentWindow, widthPixels, heightPixels);
  if (!window->Handle()) {
    error = "cannot create a window in the parent window";
    return nullptr;
  }
  return window;
}

Win32Window::Win32Window(HWND parent, int widthPixels, int heightPixels) {
  const wchar_t* className = TheWindowClass().Acquire();
  mWindow = CreateWindowExW(0, className, L"Kalvo5", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0,
                            widthPixels < 1 ? 1 : widthPixels, heightPixels < 1 ? 1 : heightPixels, parent,
                            nullptr, ThisModule(), this);
  if (!mWindow) return;
  DragAcceptFiles(mWindow, TRUE);
  SetTimer(mWindow, kTimerId, kTimerMilliseconds, nullptr);
}

Win32Window::~Win32Window() {
  mTick = nullptr;
  if (mWindow && !mDestroyed) {
    KillTimer(mWindow, kTimerId);
    if (GetCapture() == mWindow) ReleaseCapture();
    // No message of the dying window reaches this object any more.
    SetWindowLongPtrW(mWindow, GWLP_USERDATA, 0);
    DestroyWindow(mWindow);
  }
  ReleaseFrame();
  TheWindowClass().Release();
}

bool Win32Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (HandleInput(message, wParam, lParam)) return true;
  switch (message) {
    case WM_PAINT:
      Paint();
      return true;
    case WM_ERASEBKGND:
      result = 1;  // the frame covers everything: no flash of a background
      return true;
    case WM_TIMER:
      if (wParam != kTimerId) return false;
      // A copy: the tick may close the editor and with it this window.
      if (std::function<void()> tick = mTick) tick();
      return true;
    case WM_SETCURSOR:
      if (LOWORD(lParam) != HTCLIENT) return false;
      ApplyCursor();
      result = TRUE;
      return true;
    case WM_GETDLGCODE:
      // Arrows, Tab and Enter reach the editor in hosts that use the
      // dialog manager.
      result = DLGC_WANTALLKEYS | DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_WANTTAB;
      return true;
    case kDpiChanged:
    case kDpiChangedAfterParent: {
      WindowEvent rescaled;
      rescaled.kind = WindowEvent::Kind::Rescaled;
      mEvents.push_back(rescaled);
      return false;
    }
    case WM_SHOWWINDOW:
      if (wParam == FALSE) {
        WindowEvent hidden;
        hidden.kind = WindowEvent::Kind::Hidden;
        mEvents.push_back(hidden);
      }
      return false;
    case WM_DESTROY: {
      // The host destroyed its window, and this one with it.
      mDestroyed = true;
      mTick = nullptr;
      WindowEvent closed;
      closed.kind = WindowEvent::Kind::Close;
      mEvents.push_back(closed);
      return false;
    }
    default:
      return false;
  }
}

std::vector<WindowEvent> Win32Window::TakeEvents() {
  std::vector<WindowEvent> events;
  events.swap(mEvents);
  return events;
}

void Win32Window::Resize(int widthPixels, int heightPixels) {
  if (widthPixels < 1 || heightPixels < 1 || mDestroyed || !mWindow) return;
  SetWindowPos(mWindow, nullptr, 0, 0, widthPixels, heightPixels, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

double Win32Window::ScreenScale() const { return static_cast<double>(WindowDpi(mWindow)) / 96.0; }

void Win32Window::ApplyCursor() const {
  if (mCursorHidden) {
    ::SetCursor(nullptr);
    return;
  }
  static const LPCWSTR kShapes[14] = {IDC_ARROW,    IDC_IBEAM,    IDC_WAIT,        IDC_CROSS,  IDC_UPARROW,
                                      IDC_SIZENWSE, IDC_SIZENESW, IDC_SIZEWE,      IDC_SIZENS, IDC_SIZEALL,
                                      IDC_NO,       IDC_HAND,     IDC_APPSTARTING, IDC_HELP};
  ::SetCursor(LoadCursorW(nullptr, kShapes[mCursorShape]));
}

void Win32Window::SetCursor(int shape) {
  mCursorShape = shape < 0 || shape >= 14 ? 0 : shape;
  POINT pointer{};
  RECT client{};
  // The shape shows at once when the pointer is over the window.
  if (mWindow && !mDestroyed && GetCursorPos(&pointer) && ScreenToClient(mWindow, &pointer) &&
      GetClientRect(mWindow, &client) && PtInRect(&client, pointer))
    ApplyCursor();
}

void Win32Window::HideCursor(bool hide) {
  mCursorHidden = hide;
  SetCursor(mCursorShape);
}

void Win32Window::MovePointer(float x, float y) {
  if (!mWindow || mDestroyed || !std::isfinite(x) || !std::isfinite(y)) return;
  POINT point{static_cast<LONG>(std::lround(x)), static_cast<LONG>(std::lround(y))};
  if (ClientToScreen(mWindow, &point)) SetCursorPos(point.x, point.y);
}

}  // namespace graphics
