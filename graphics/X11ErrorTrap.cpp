#include "X11ErrorTrap.h"

#include <atomic>
#include <mutex>

namespace graphics {
namespace {

// Traps of several editors (hosts may run one GUI thread per editor) take
// turns; a trap inside a trap on the same thread shares the outer one.
std::recursive_mutex gTrapLock;
int gDepth = 0;
XErrorHandler gPrevious = nullptr;
std::atomic<Display*> gTrappedDisplay{nullptr};
std::atomic<int> gLastError{0};

int TrapHandler(Display* display, XErrorEvent* event) {
  if (display == gTrappedDisplay.load()) {
    gLastError.store(event->error_code);
    return 0;
  }
  // Another connection's error (the host's, on another thread): its own
  // handler decides, as if we were not here.
  XErrorHandler previous = gPrevious;
  return previous != nullptr ? previous(display, event) : 0;
}

}  // namespace

X11ErrorTrap::X11ErrorTrap(Display* display) : mDisplay(display), mOutermost(false) {
  gTrapLock.lock();
  if (gDepth++ == 0) {
    mOutermost = true;
    gTrappedDisplay.store(mDisplay);
    gPrevious = XSetErrorHandler(TrapHandler);
    // Failures of requests sent before the trap are not this trap's answer.
    XSync(mDisplay, False);
    gLastError.store(0);
  }
}

X11ErrorTrap::~X11ErrorTrap() {
  XSync(mDisplay, False);
  if (mOutermost) {
    XSetErrorHandler(gPrevious);
    gPrevious = nullptr;
    gTrappedDisplay.store(nullptr);
  }
  --gDepth;
  gTrapLock.unlock();
}

bool X11ErrorTrap::Failed() {
  XSync(mDisplay, False);
  return gLastError.exchange(0) != 0;
}

}  // namespace graphics
