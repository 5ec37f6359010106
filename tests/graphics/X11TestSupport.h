// A test with its own X server and a host-like parent window, as a host
// makes one (XCreateSimpleWindow on the root, on its own connection).
#pragma once

#include <gtest/gtest.h>

#include "graphics/Window.h"

#include <X11/Xlib.h>
// X.h's event type would replace the window event kind of the same name.
#undef Expose

#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "XvfbServer.h"

namespace graphicstest {

// Counts X errors that reach the host's handler: our window must keep them.
inline int& HostErrorCount() {
  static int count = 0;
  return count;
}
inline int CountingHostHandler(Display*, XErrorEvent*) {
  ++HostErrorCount();
  return 0;
}

class X11Test : public ::testing::Test {
 protected:
  void SetUp() override {
    mServer = std::make_unique<XvfbServer>();
    if (!mServer->Installed()) GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_TRUE(mServer->Running()) << "Xvfb did not start";
    // The socket may exist a moment before the server accepts.
    for (int i = 0; i < 100 && mHost == nullptr; ++i) {
      mHost = XOpenDisplay(mServer->Name().c_str());
      if (mHost == nullptr) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_NE(mHost, nullptr);
    HostErrorCount() = 0;
    XSetErrorHandler(CountingHostHandler);
    mParent = XCreateSimpleWindow(mHost, DefaultRootWindow(mHost), 0, 0, 200, 150, 0, 0, 0);
    XMapWindow(mHost, mParent);
    XSync(mHost, False);
  }

  void TearDown() override {
    if (mHost != nullptr) {
      XSync(mHost, False);
      EXPECT_EQ(HostErrorCount(), 0) << "an X error reached the host's handler";
      XSetErrorHandler(nullptr);
      XCloseDisplay(mHost);
    }
    mServer.reset();
  }

  std::unique_ptr<graphics::Window> OpenChild(int width = 120, int height = 90) {
    std::string error;
    auto window = graphics::OpenChildWindow(mParent, width, height, error);
    EXPECT_TRUE(window) << error;
    if (window) WaitViewable(window->Id());
    return window;
  }

  void WaitViewable(std::uintptr_t id) {
    for (int i = 0; i < 200; ++i) {
      XWindowAttributes attributes;
      if (XGetWindowAttributes(mHost, static_cast<::Window>(id), &attributes) != 0 &&
          attributes.map_state == IsViewable)
        return;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ADD_FAILURE() << "the window never became viewable";
  }

  // Pumps the window (and `alongside`, e.g. another client's answers) until
  // `done` holds for the events so far, for two seconds at most.
  std::vector<graphics::WindowEvent> PumpUntil(
      graphics::Window& window, const std::function<bool(const std::vector<graphics::WindowEvent>&)>& done,
      const std::function<void()>& alongside = {}) {
    std::vector<graphics::WindowEvent> all;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!done(all) && std::chrono::steady_clock::now() < deadline) {
      for (auto& event : window.TakeEvents()) all.push_back(std::move(event));
      if (alongside) alongside();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return all;
  }

  std::unique_ptr<XvfbServer> mServer;
  Display* mHost = nullptr;
  ::Window mParent = 0;
};

inline bool Has(const std::vector<graphics::WindowEvent>& events, graphics::WindowEvent::Kind kind,
                int count = 1) {
  int seen = 0;
  for (const auto& e : events) seen += e.kind == kind ? 1 : 0;
  return seen >= count;
}

inline std::vector<graphics::WindowEvent> OfKind(const std::vector<graphics::WindowEvent>& events,
                                                 graphics::WindowEvent::Kind kind) {
  std::vector<graphics::WindowEvent> found;
  for (const auto& e : events) {
    if (e.kind == kind) found.push_back(e);
  }
  return found;
}

}  // namespace graphicstest
