// A plug-in's editor in a real X server, through the plug-in's real entry
// point, driven as a Linux host drives an editor: a parent window made with
// XCreateSimpleWindow on the root (as Ardour makes it), effEditOpen with its
// id, effEditGetRect and a resize of the parent, effEditIdle every few
// milliseconds, input from XTest, effEditClose.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>
#include <utility>

#include "graphics/XvfbServer.h"
#include "support/VST2RecordingHost.h"

// Xlib's macros (None, Bool, Status) last, after every C++ header.
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
// clang-format on

namespace editortest {

inline int& HostXErrors() {
  static int count = 0;
  return count;
}

inline int CountHostXError(Display*, XErrorEvent*) {
  ++HostXErrors();
  return 0;
}

class HostedEditor : public ::testing::Test {
 protected:
  // The module file the fixture loads.
  virtual const char* ModulePath() const = 0;

  void SetUp() override {
    if (!xvfb.Installed()) GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_TRUE(xvfb.Running());
    display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    XSetErrorHandler(&CountHostXError);
    HostXErrors() = 0;
    parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XMapWindow(display, parent);
    XSync(display, False);

    module = dlopen(ModulePath(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    const auto entry = reinterpret_cast<vst2::PluginEntryProc>(dlsym(module, "VSTPluginMain"));
    ASSERT_NE(entry, nullptr);
    effect = host.Attach(entry);
    ASSERT_NE(effect, nullptr);
    Dispatch(vst2::effOpen);
    Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, 48000.0f);
    Dispatch(vst2::effSetBlockSize, 0, 256);
    Dispatch(vst2::effMainsChanged, 0, 1);
  }

  void TearDown() override {
    if (effect) Dispatch(vst2::effClose);
    // Every host callback came from inside a call the host made.
    EXPECT_EQ(host.callsOutsidePluginCalls.load(), 0);
    if (display) {
      XDestroyWindow(display, parent);
      XSync(display, False);
      EXPECT_EQ(HostXErrors(), 0);
      XCloseDisplay(display);
    }
  }

  vst2::VstIntPtr Dispatch(vst2::VstInt32 opcode, vst2::VstInt32 index = 0, vst2::VstIntPtr value = 0,
                           void* ptr = nullptr, float opt = 0.0f) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
  }

  // The editor's size as the host asks for it.
  std::pair<int, int> Rect() {
    vst2::ERect* rect = nullptr;
    if (Dispatch(vst2::effEditGetRect, 0, 0, &rect) != 1 || !rect) return {0, 0};
    return {rect->right - rect->left, rect->bottom - rect->top};
  }

  bool Open() {
    if (Dispatch(vst2::effEditOpen, 0, reinterpret_cast<vst2::VstIntPtr>(display),
                 reinterpret_cast<void*>(parent)) != 1)
      return false;
    const auto [width, height] = Rect();
    XResizeWindow(display, parent, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XSync(display, False);
    return true;
  }

  // Idle calls from the host's GUI thread, as hosts make them (every 10 ms);
  // `between` runs after each, e.g. to answer the editor's requests.
  void Idle(int milliseconds, const std::function<void()>& between = {}) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) {
      XSync(display, False);
      Dispatch(vst2::effEditIdle);
      FollowSizeRequests();
      if (between) between();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  // The parent window takes the size the editor asked for, as hosts do.
  void FollowSizeRequests() {
    const auto sizes = host.CallsOf(vst2::audioMasterSizeWindow);
    if (sizes.size() == sizeRequestsFollowed) return;
    sizeRequestsFollowed = sizes.size();
    XResizeWindow(display, parent, static_cast<unsigned>(sizes.back().index),
                  static_cast<unsigned>(sizes.back().value));
    XSync(display, False);
  }

  // Idle calls until the condition holds, for at most `milliseconds`.
  bool IdleUntil(const std::function<bool()>& condition, int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!condition()) {
      if (std::chrono::steady_clock::now() >= end) return false;
      Idle(10);
    }
    return true;
  }

  // Pointer, buttons and keys through XTest, in root coordinates (the
  // parent sits at the root's origin).
  void MoveTo(int x, int y) {
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    XSync(display, False);
  }
  void Button(bool down) {
    XTestFakeButtonEvent(display, 1, down ? True : False, CurrentTime);
    XSync(display, False);
  }
  void Click(int x, int y) {
    MoveTo(x, y);
    Button(true);
    Button(false);
  }
  void Type(KeySym keysym) {
    const KeyCode code = XKeysymToKeycode(display, keysym);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    XSync(display, False);
  }
  // Empties a text entry holding up to ten characters.
  void TypeBackspaces() {
    for (int i = 0; i < 10; ++i) Type(XK_BackSpace);
  }

  Window EditorWindow() {
    Window root = 0, up = 0, *children = nullptr;
    unsigned count = 0;
    XQueryTree(display, parent, &root, &up, &children, &count);
    const Window child = count > 0 ? children[0] : 0;
    if (children) XFree(children);
    return child;
  }

  unsigned long PixelAt(Window window, int x, int y) {
    XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0;
    const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFFul;
    XDestroyImage(image);
    return pixel;
  }

  // Host callbacks of one kind about one parameter.
  int Calls(vst2::VstInt32 opcode, int index) {
    int n = 0;
    for (const auto& call : host.CallsOf(opcode)) n += call.index == index ? 1 : 0;
    return n;
  }
  int Automations(int index) { return Calls(vst2::audioMasterAutomate, index); }

  graphicstest::XvfbServer xvfb;
  Display* display = nullptr;
  Window parent = 0;
  void* module = nullptr;
  vst2test::RecordingHost host;
  vst2::AEffect* effect = nullptr;
  std::size_t sizeRequestsFollowed = 0;
};

}  // namespace editortest
