// Keeps X errors caused by our own requests away from the host. Xlib's error
// handler is process-wide and its default ends the process, so every call
// that may fail (a parent the host destroyed, a requestor that went away)
// runs inside a trap: our handler swallows errors of our connection and
// passes everything else to the handler it replaced. Internal.
#pragma once

#include <X11/Xlib.h>

namespace graphics {

class X11ErrorTrap {
 public:
  explicit X11ErrorTrap(Display* display);
  // Waits for the server to handle everything sent (so its errors arrive
  // here), then puts the previous handler back.
  ~X11ErrorTrap();
  X11ErrorTrap(const X11ErrorTrap&) = delete;
  X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

  // Waits for the server as above and answers whether a request failed since
  // the trap was set or since the last call.
  bool Failed();

 private:
  Display* mDisplay;
  bool mOutermost;
};

}  // namespace graphics
