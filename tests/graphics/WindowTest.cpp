#include "X11TestSupport.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <dirent.h>

#include "graphics/Drawing.h"

using graphics::WindowEvent;
using graphicstest::Has;
using graphicstest::OfKind;
using Kind = graphics::WindowEvent::Kind;

namespace {

int OpenFileCount() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (readdir(dir) != nullptr) ++count;
    closedir(dir);
  }
  return count;
}

}  // namespace

class X11Window : public graphicstest::X11Test {};

TEST_F(X11Window, PresentedPixelsReachTheScreen) {
  auto window = OpenChild(120, 90);
  ASSERT_TRUE(window);
  auto first = PumpUntil(*window, [](const auto& events) { return Has(events, Kind::Expose); });
  EXPECT_TRUE(Has(first, Kind::Expose));
  EXPECT_EQ(window->ScreenScale(), 1.0);

  auto surface = graphics::CreateImageSurface(120, 90);
  surface->Rectangle({0, 0, 120, 90});
  surface->Fill({1, 0, 0, 1}, 1.0f);
  surface->Rectangle({100, 70, 120, 90});
  surface->Fill({0, 0, 1, 1}, 1.0f);
  window->Present(surface->Pixels(), 120, 90, surface->StrideBytes());
  XImage* image = XGetImage(mHost, static_cast<::Window>(window->Id()), 0, 0, 120, 90, AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(XGetPixel(image, 10, 10) & 0xffffff, 0xff0000u);
  EXPECT_EQ(XGetPixel(image, 110, 80) & 0xffffff, 0x0000ffu);
  XDestroyImage(image);

  // A larger present after a resize takes a new image.
  window->Resize(160, 100);
  surface->ResizePixels(160, 100);
  surface->Rectangle({0, 0, 160, 100});
  surface->Fill({0, 1, 0, 1}, 1.0f);
  window->Present(surface->Pixels(), 160, 100, surface->StrideBytes());
  image = XGetImage(mHost, static_cast<::Window>(window->Id()), 150, 95, 1, 1, AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(XGetPixel(image, 0, 0) & 0xffffff, 0x00ff00u);
  XDestroyImage(image);
}

TEST_F(X11Window, UncoveredPartsShowTheLastFrameWithoutTheEditorsHelp) {
  auto window = OpenChild(120, 90);
  ASSERT_TRUE(window);
  PumpUntil(*window, [](const auto& events) { return Has(events, Kind::Expose); });
  auto surface = graphics::CreateImageSurface(120, 90);
  surface->Rectangle({0, 0, 120, 90});
  surface->Fill({1, 0, 0, 1}, 1.0f);
  window->Present(surface->Pixels(), 120, 90, surface->StrideBytes());

  // Another window covers the editor and goes away; the editor's events are
  // not read meanwhile (a host busy elsewhere).
  const ::Window cover = XCreateSimpleWindow(mHost, mParent, 0, 0, 120, 90, 0, 0, 0x00ff00);
  XMapRaised(mHost, cover);
  XSync(mHost, False);
  XDestroyWindow(mHost, cover);
  XSync(mHost, False);
  XImage* image = XGetImage(mHost, static_cast<::Window>(window->Id()), 0, 0, 120, 90, AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(XGetPixel(image, 60, 45) & 0xffffff, 0xff0000u);
  XDestroyImage(image);
}

TEST_F(X11Window, ClicksWheelAndKeysArriveAsEvents) {
  auto window = OpenChild(120, 90);
  ASSERT_TRUE(window);
  XTestFakeMotionEvent(mHost, 0, 30, 20, CurrentTime);
  XTestFakeButtonEvent(mHost, 1, True, CurrentTime);
  XTestFakeButtonEvent(mHost, 1, False, CurrentTime);
  XTestFakeMotionEvent(mHost, 0, 32, 21, CurrentTime);
  XTestFakeButtonEvent(mHost, 1, True, CurrentTime);
  XTestFakeButtonEvent(mHost, 1, False, CurrentTime);
  XTestFakeButtonEvent(mHost, 3, True, CurrentTime);
  XTestFakeButtonEvent(mHost, 3, False, CurrentTime);
  XTestFakeButtonEvent(mHost, 4, True, CurrentTime);
  XTestFakeButtonEvent(mHost, 4, False, CurrentTime);
  XTestFakeButtonEvent(mHost, 5, True, CurrentTime);
  XTestFakeButtonEvent(mHost, 5, False, CurrentTime);
  XFlush(mHost);
  auto events = PumpUntil(*window, [](const auto& e) { return Has(e, Kind::Wheel, 2); });
  auto downs = OfKind(events, Kind::MouseDown);
  ASSERT_EQ(downs.size(), 3u);
  EXPECT_EQ(downs[0].x, 30.0f);
  EXPECT_EQ(downs[0].y, 20.0f);
  EXPECT_TRUE(downs[0].left);
  EXPECT_EQ(downs[0].clicks, 1);
  EXPECT_EQ(downs[1].clicks, 2);  // same button, 2 pixels away, at once
  EXPECT_TRUE(downs[2].right);
  EXPECT_EQ(downs[2].clicks, 1);  // another button
  EXPECT_EQ(OfKind(events, Kind::MouseUp).size(), 3u);
  auto wheels = OfKind(events, Kind::Wheel);
  ASSERT_EQ(wheels.size(), 2u);
  EXPECT_EQ(wheels[0].notches, 1);
  EXPECT_EQ(wheels[1].notches, -1);

  // The click gave the window the keyboard.
  const KeyCode a = XKeysymToKeycode(mHost, XK_a), shift = XKeysymToKeycode(mHost, XK_Shift_L);
  const KeyCode enter = XKeysymToKeycode(mHost, XK_Return);
  XTestFakeKeyEvent(mHost, a, True, CurrentTime);
  XTestFakeKeyEvent(mHost, a, False, CurrentTime);
  XTestFakeKeyEvent(mHost, shift, True, CurrentTime);
  XTestFakeKeyEvent(mHost, a, True, CurrentTime);
  XTestFakeKeyEvent(mHost, a, False, CurrentTime);
  XTestFakeKeyEvent(mHost, shift, False, CurrentTime);
  XTestFakeKeyEvent(mHost, enter, True, CurrentTime);
  XTestFakeKeyEvent(mHost, enter, False, CurrentTime);
  XFlush(mHost);
  events = PumpUntil(*window, [](const auto& e) { return Has(e, Kind::KeyUp, 4); });
  auto keys = OfKind(events, Kind::KeyDown);
  ASSERT_EQ(keys.size(), 4u);
  EXPECT_EQ(keys[0].keysym, static_cast<std::uint32_t>(XK_a));
  EXPECT_EQ(keys[0].text, "a");
  EXPECT_EQ(keys[2].text, "A");
  EXPECT_TRUE(keys[2].shift);
  EXPECT_EQ(keys[3].keysym, static_cast<std::uint32_t>(XK_Return));
  EXPECT_EQ(keys[3].text, "");

  XTestFakeMotionEvent(mHost, 0, 180, 140, CurrentTime);  // off the window, still on the parent
  XFlush(mHost);
  events = PumpUntil(*window, [](const auto& e) { return Has(e, Kind::Leave); });
  EXPECT_TRUE(Has(events, Kind::Leave));

  window->MovePointer(50.0f, 40.0f);
  ::Window root = 0, child = 0;
  int rootX = 0, rootY = 0, x = 0, y = 0;
  unsigned int mask = 0;
  XQueryPointer(mHost, static_cast<::Window>(window->Id()), &root, &child, &rootX, &rootY, &x, &y, &mask);
  EXPECT_EQ(x, 50);
  EXPECT_EQ(y, 40);
}

TEST_F(X11Window, ABadParentIsRefusedWithoutDisturbingTheHost) {
  std::string error;
  EXPECT_FALSE(graphics::OpenChildWindow(0x3fffff7, 100, 100, error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(graphics::OpenChildWindow(0, 100, 100, error));
  EXPECT_FALSE(error.empty());
  // The host's error handler is in place again.
  EXPECT_EQ(XSetErrorHandler(graphicstest::CountingHostHandler), &graphicstest::CountingHostHandler);
}

TEST_F(X11Window, AParentDestroyedFirstClosesTheWindowQuietly) {
  auto window = OpenChild(100, 80);
  ASSERT_TRUE(window);
  XDestroyWindow(mHost, mParent);
  XSync(mHost, False);
  auto events = PumpUntil(*window, [](const auto& e) { return Has(e, Kind::Close); });
  EXPECT_TRUE(Has(events, Kind::Close));
  auto surface = graphics::CreateImageSurface(100, 80);
  window->Present(surface->Pixels(), 100, 80, surface->StrideBytes());
  window->SetCursor(3);
  window->Resize(50, 50);
  window.reset();
  EXPECT_EQ(XSetErrorHandler(graphicstest::CountingHostHandler), &graphicstest::CountingHostHandler);
}

TEST_F(X11Window, FiftyOpeningsLeaveNothingBehind) {
  auto surface = graphics::CreateImageSurface(64, 48);
  const int filesBefore = OpenFileCount();
  for (int i = 0; i < 50; ++i) {
    std::string error;
    auto window = graphics::OpenChildWindow(mParent, 64, 48, error);
    ASSERT_TRUE(window) << error;
    window->Present(surface->Pixels(), 64, 48, surface->StrideBytes());
    window->SetCursor(i % 16);
    window->HideCursor(i % 2 == 0);
    window->TakeEvents();
  }
  EXPECT_EQ(OpenFileCount(), filesBefore);
  Window root = 0, parent = 0, *children = nullptr;
  unsigned int count = 0;
  ASSERT_NE(XQueryTree(mHost, mParent, &root, &parent, &children, &count), 0);
  if (children != nullptr) XFree(children);
  EXPECT_EQ(count, 0u);
}

TEST_F(X11Window, ScreenScaleFollowsTheDesktopsDpi) {
  const char resources[] = "Xft.antialias:\t1\nXft.dpi:\t192\n";
  XChangeProperty(mHost, DefaultRootWindow(mHost), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(resources), static_cast<int>(sizeof resources - 1));
  XSync(mHost, False);
  // Before a window exists too: a host sizes its window first.
  EXPECT_EQ(graphics::DefaultScreenScale(), 2.0);
  auto window = OpenChild();
  ASSERT_TRUE(window);
  EXPECT_EQ(window->ScreenScale(), 2.0);
}
