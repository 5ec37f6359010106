// The editor framework in a real X server, through the real entry point of a
// plug-in built on it, driven as a Linux host drives an editor: a parent
// window made with XCreateSimpleWindow on the root (as Ardour makes it),
// effEditOpen with its id, effEditGetRect and a resize of the parent,
// effEditIdle every few milliseconds, input from XTest, effEditClose.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

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
namespace {

using vst2test::RecordingHost;

int gHostXErrors = 0;
int CountXError(Display*, XErrorEvent*) {
  ++gHostXErrors;
  return 0;
}

class EditorHost : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!xvfb.Installed()) GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_TRUE(xvfb.Running());
    display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    XSetErrorHandler(&CountXError);
    gHostXErrors = 0;
    parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XMapWindow(display, parent);
    XSync(display, False);

    module = dlopen(KALVO5_TEST_EDITOR_PLUGIN, RTLD_NOW | RTLD_LOCAL);
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
      EXPECT_EQ(gHostXErrors, 0);
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

  // Idle calls from the host's GUI thread, as hosts make them (every 10 ms).
  void Idle(int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) {
      XSync(display, False);
      Dispatch(vst2::effEditIdle);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  // Pointer and button through XTest, in root coordinates (the parent sits
  // at the root's origin).
  void MoveTo(int x, int y) {
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    XSync(display, False);
  }
  void Click(int x, int y) {
    MoveTo(x, y);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XSync(display, False);
  }
  void Type(KeySym keysym) {
    const KeyCode code = XKeysymToKeycode(display, keysym);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    XSync(display, False);
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

  int Automations(int index) {
    int n = 0;
    for (const auto& call : host.CallsOf(vst2::audioMasterAutomate)) n += call.index == index ? 1 : 0;
    return n;
  }

  graphicstest::XvfbServer xvfb;
  Display* display = nullptr;
  Window parent = 0;
  void* module = nullptr;
  RecordingHost host;
  vst2::AEffect* effect = nullptr;
};

TEST_F(EditorHost, OpensClicksTypesResizesAndCloses) {
  EXPECT_NE(effect->flags & vst2::effFlagsHasEditor, 0);
  EXPECT_EQ(Rect(), std::make_pair(300, 200));  // before opening
  ASSERT_TRUE(Open());
  Idle(100);
  const Window editor = EditorWindow();
  ASSERT_NE(editor, 0u);
  EXPECT_EQ(PixelAt(editor, 5, 5), 0xFFFFFFul);    // the background
  EXPECT_EQ(PixelAt(editor, 50, 40), 0x282828ul);  // the switch, off

  // A click turns the switch on: the host hears the change, in a gesture.
  Click(50, 40);
  Idle(100);
  EXPECT_EQ(effect->getParameter(effect, 0), 1.0f);
  EXPECT_GE(Automations(0), 1);
  EXPECT_GE(host.Count(vst2::audioMasterBeginEdit), 1);
  EXPECT_GE(host.Count(vst2::audioMasterEndEdit), 1);
  EXPECT_EQ(PixelAt(editor, 50, 40), 0x00C800ul);  // redrawn, on

  // A double click opens the text entry over the value field; typed text
  // with Enter sets the parameter (letters are filtered out).
  Click(160, 40);
  Click(160, 40);
  Idle(100);
  for (KeySym key :
       {XK_BackSpace, XK_BackSpace, XK_BackSpace, XK_BackSpace, XK_BackSpace, XK_BackSpace, XK_BackSpace,
        XK_BackSpace, XK_BackSpace, XK_BackSpace, XK_1, XK_2, XK_x, XK_period, XK_5, XK_Return})
    Type(key);
  Idle(100);
  EXPECT_NEAR(effect->getParameter(effect, 1), (12.5 + 60.0) / 120.0, 1e-6);

  // The corner resizer: a drag from the corner to 1.5 times the size asks
  // the host for the larger window.
  MoveTo(295, 195);
  XTestFakeButtonEvent(display, 1, True, CurrentTime);
  XSync(display, False);
  Idle(50);
  MoveTo(445, 295);
  Idle(50);
  XTestFakeButtonEvent(display, 1, False, CurrentTime);
  XSync(display, False);
  Idle(100);
  const auto sizes = host.CallsOf(vst2::audioMasterSizeWindow);
  ASSERT_FALSE(sizes.empty());
  EXPECT_NEAR(sizes.back().index, 450, 4);
  EXPECT_NEAR(static_cast<double>(sizes.back().value), 300, 4);
  EXPECT_EQ(Rect().first, sizes.back().index);

  Dispatch(vst2::effEditClose);
  XSync(display, False);
  EXPECT_EQ(EditorWindow(), 0u);
}

// Opening and closing many times while another thread processes audio.
TEST_F(EditorHost, ManyOpenCloseCyclesWhileAudioRuns) {
  std::atomic<bool> stop{false};
  std::thread audio([&] {
    std::vector<float> left(256), right(256);
    float* channels[] = {left.data(), right.data()};
    while (!stop.load()) effect->processReplacing(effect, channels, channels, 256);
  });
  for (int cycle = 0; cycle < 200; ++cycle) {
    ASSERT_TRUE(Open()) << cycle;
    Dispatch(vst2::effEditIdle);
    Dispatch(vst2::effEditClose);
  }
  stop = true;
  audio.join();
  XSync(display, False);
  EXPECT_EQ(EditorWindow(), 0u);
}

}  // namespace
}  // namespace editortest
