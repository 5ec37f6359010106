// The editor's Win32 window on its own: messages the host's loop dispatches
// become the window events the editor takes (buttons, double clicks, wheel
// notches, keys with their typed text, the pointer leaving), its timer calls
// the tick handler, and the clipboard carries UTF-8 text both ways.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "graphics/Window.h"

namespace {

using Kind = graphics::WindowEvent::Kind;

class Win32Window : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW parentClass{};
    parentClass.lpfnWndProc = &DefWindowProcW;
    parentClass.hInstance = GetModuleHandleW(nullptr);
    parentClass.lpszClassName = L"Kalvo5WindowTestHost";
    RegisterClassW(&parentClass);
    parent = CreateWindowExW(0, L"Kalvo5WindowTestHost", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    std::string error;
    window = graphics::OpenChildWindow(reinterpret_cast<std::uintptr_t>(parent), 300, 200, error);
    ASSERT_NE(window, nullptr) << error;
    child = reinterpret_cast<HWND>(window->Id());
    EXPECT_EQ(GetParent(child), parent);
  }
  void TearDown() override {
    window.reset();
    if (parent) DestroyWindow(parent);
  }

  // The host's loop for a while.
  void Pump(int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    do {
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
      Sleep(5);
    } while (std::chrono::steady_clock::now() < end);
  }

  std::vector<graphics::WindowEvent> Events(Kind kind) {
    std::vector<graphics::WindowEvent> found;
    for (auto& event : window->TakeEvents())
      if (event.kind == kind) found.push_back(event);
    return found;
  }

  HWND parent = nullptr;
  HWND child = nullptr;
  std::unique_ptr<graphics::Window> window;
};

TEST_F(Win32Window, ButtonsWheelAndKeysBecomeWindowEvents) {
  PostMessageW(child, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 30));
  PostMessageW(child, WM_LBUTTONUP, 0, MAKELPARAM(40, 30));
  PostMessageW(child, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(41, 30));
  Pump(50);
  // The pointer's moves and its leaving, which the system adds around the
  // capture, aside.
  std::vector<graphics::WindowEvent> events;
  for (auto& event : window->TakeEvents())
    if (event.kind != Kind::MouseMove && event.kind != Kind::Leave) events.push_back(event);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].kind, Kind::MouseDown);
  EXPECT_TRUE(events[0].left);
  EXPECT_EQ(events[0].clicks, 1);
  EXPECT_EQ(events[0].x, 40.0f);
  EXPECT_EQ(events[0].y, 30.0f);
  EXPECT_EQ(events[1].kind, Kind::MouseUp);
  EXPECT_EQ(events[2].clicks, 2);

  // Whole notches only, from screen coordinates.
  POINT screen{10, 20};
  ClientToScreen(child, &screen);
  PostMessageW(child, WM_MOUSEWHEEL, MAKEWPARAM(0, 240), MAKELPARAM(screen.x, screen.y));
  PostMessageW(child, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-60)), MAKELPARAM(screen.x, screen.y));
  Pump(50);
  const auto wheels = Events(Kind::Wheel);
  ASSERT_EQ(wheels.size(), 1u);
  EXPECT_EQ(wheels[0].notches, 2);
  EXPECT_EQ(wheels[0].x, 10.0f);
  EXPECT_EQ(wheels[0].y, 20.0f);

  // A letter types its character (the loop's TranslateMessage makes it), an
  // arrow key is a key without text, and a character an input method sends
  // alone is a key of its own.
  PostMessageW(child, WM_KEYDOWN, 'A', 0);
  Pump(20);
  PostMessageW(child, WM_KEYDOWN, VK_LEFT, 0);
  PostMessageW(child, WM_KEYUP, VK_LEFT, 0);
  Pump(20);
  PostMessageW(child, WM_CHAR, 0x00DC, 0);  // "Ü"
  Pump(20);
  const auto keys = window->TakeEvents();
  ASSERT_EQ(keys.size(), 4u);
  EXPECT_EQ(keys[0].kind, Kind::KeyDown);
  EXPECT_EQ(keys[0].text, "a");
  EXPECT_EQ(keys[0].keysym, static_cast<std::uint32_t>('a'));
  EXPECT_EQ(keys[1].kind, Kind::KeyDown);
  EXPECT_EQ(keys[1].text, "");
  EXPECT_EQ(keys[1].keysym, 0xFF51u);  // Left
  EXPECT_EQ(keys[2].kind, Kind::KeyUp);
  EXPECT_EQ(keys[3].kind, Kind::KeyDown);
  EXPECT_EQ(keys[3].text, "\xC3\x9C");
  EXPECT_EQ(keys[3].keysym, 0xDCu);
}

TEST_F(Win32Window, TheTimerTicksAndTheClipboardCarriesUtf8) {
  int ticks = 0;
  window->SetTickHandler([&ticks] { ++ticks; });
  Pump(200);
  EXPECT_GE(ticks, 2);

  const std::string text =
      "Mischpult \xC3\x9C"
      "bung \xE9\x9F\xB3\xE9\x87\x8F";
  window->SetClipboardText(text);
  EXPECT_EQ(window->GetClipboardText(), text);
}

}  // namespace
