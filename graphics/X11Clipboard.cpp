// The CLIPBOARD selection. Setting it makes the window its owner, answering
// requests from TakeEvents; getting it asks the owner and waits a short,
// bounded time. Editor windows of this process answer one another directly,
// since they share a thread that is busy waiting.
#include "X11Window.h"

#include <X11/Xatom.h>
#include <poll.h>

#include <chrono>
#include <map>
#include <mutex>
#include <utility>

#include "X11ErrorTrap.h"

namespace graphics {
namespace {

constexpr std::chrono::milliseconds kClipboardWait{200};

// The texts this process's windows own, by server and window.
struct OwnedTexts {
  std::mutex lock;
  std::map<std::pair<std::string, ::Window>, std::string> texts;
};

OwnedTexts& Owned() {
  static OwnedTexts owned;
  return owned;
}

std::string Latin1FromUtf8(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      out += static_cast<char>(lead);
      ++i;
    } else if ((lead & 0xe0) == 0xc0 && i + 1 < text.size()) {
      const unsigned code = ((lead & 0x1fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3fu);
      out += code <= 0xff ? static_cast<char>(code) : '?';
      i += 2;
    } else {
      out += '?';
      // Skip the rest of a longer sequence.
      ++i;
      while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xc0) == 0x80) ++i;
    }
  }
  return out;
}

std::string Utf8FromLatin1(const unsigned char* bytes, std::size_t size) {
  std::string out;
  for (std::size_t i = 0; i < size; ++i) {
    if (bytes[i] < 0x80) {
      out += static_cast<char>(bytes[i]);
    } else {
      out += static_cast<char>(0xc0 | (bytes[i] >> 6));
      out += static_cast<char>(0x80 | (bytes[i] & 0x3f));
    }
  }
  return out;
}

// Reads and deletes an 8-bit text property; false when it is missing or an
// incremental transfer (too large for a clipboard of short texts).
bool TakeTextProperty(Display* display, ::Window window, Atom property, Atom incr, std::string& bytes) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  const int status = XGetWindowProperty(display, window, property, 0, 0x1000000, True, AnyPropertyType, &type,
                                        &format, &count, &remaining, &data);
  if (status != Success) return false;
  const bool usable = type != None && type != incr && format == 8;
  if (usable && data != nullptr) bytes.assign(reinterpret_cast<const char*>(data), count);
  if (data != nullptr) XFree(data);
  return usable;
}

}  // namespace

void X11Window::SetClipboardText(const std::string& text) {
  X11ErrorTrap trap(mDisplay);
  mClipboardText = text;
  XSetSelectionOwner(mDisplay, mAtoms.clipboard, mWindow, CurrentTime);
  mOwnsClipboard = XGetSelectionOwner(mDisplay, mAtoms.clipboard) == mWindow;
  OwnedTexts& owned = Owned();
  std::lock_guard<std::mutex> guard(owned.lock);
  if (mOwnsClipboard) {
    owned.texts[{DisplayString(mDisplay), mWindow}] = text;
  } else {
    owned.texts.erase({DisplayString(mDisplay), mWindow});
  }
}

void X11Window::ForgetClipboard() {
  mOwnsClipboard = false;
  mClipboardText.clear();
  OwnedTexts& owned = Owned();
  std::lock_guard<std::mutex> guard(owned.lock);
  owned.texts.erase({DisplayString(mDisplay), mWindow});
}

std::string X11Window::GetClipboardText() {
  X11ErrorTrap trap(mDisplay);
  const ::Window owner = XGetSelectionOwner(mDisplay, mAtoms.clipboard);
  if (owner == None) return "";
  if (owner == mWindow && mOwnsClipboard) return mClipboardText;
  {
    OwnedTexts& owned = Owned();
    std::lock_guard<std::mutex> guard(owned.lock);
    auto found = owned.texts.find({DisplayString(mDisplay), owner});
    if (found != owned.texts.end()) return found->second;
  }

  const auto deadline = std::chrono::steady_clock::now() + kClipboardWait;
  for (Atom target : {mAtoms.utf8String, Atom(XA_STRING)}) {
    XDeleteProperty(mDisplay, mWindow, mAtoms.clipboardProperty);
    XConvertSelection(mDisplay, mAtoms.clipboard, target, mAtoms.clipboardProperty, mWindow, CurrentTime);
    XFlush(mDisplay);
    // Other selection answers (a drop's data) that arrive meanwhile go back
    // to the queue for TakeEvents.
    std::vector<XEvent> others;
    bool answered = false;
    XEvent event;
    while (!answered) {
      if (XCheckTypedWindowEvent(mDisplay, mWindow, SelectionNotify, &event)) {
        if (event.xselection.selection == mAtoms.clipboard) {
          answered = true;
        } else {
          others.push_back(event);
        }
        continue;
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      pollfd connection{ConnectionNumber(mDisplay), POLLIN, 0};
      poll(&connection, 1, static_cast<int>(left.count()));
    }
    for (auto it = others.rbegin(); it != others.rend(); ++it) XPutBackEvent(mDisplay, &*it);
    if (!answered) return "";
    if (event.xselection.property == None) continue;  // the owner cannot give this form
    std::string bytes;
    if (!TakeTextProperty(mDisplay, mWindow, mAtoms.clipboardProperty, mAtoms.incr, bytes)) return "";
    if (target == XA_STRING) {
      return Utf8FromLatin1(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    }
    return bytes;
  }
  return "";
}

void X11Window::AnswerSelectionRequest(const XSelectionRequestEvent& request) {
  XEvent reply{};
  reply.xselection.type = SelectionNotify;
  reply.xselection.display = mDisplay;
  reply.xselection.requestor = request.requestor;
  reply.xselection.selection = request.selection;
  reply.xselection.target = request.target;
  reply.xselection.time = request.time;
  reply.xselection.property = None;
  // Clients of the oldest conventions name no property: the target is used.
  const Atom property = request.property != None ? request.property : request.target;
  if (request.selection == mAtoms.clipboard && mOwnsClipboard) {
    // Larger texts would need the incremental protocol; the editor's never are.
    const long limit = (XExtendedMaxRequestSize(mDisplay) > 0 ? XExtendedMaxRequestSize(mDisplay)
                                                              : XMaxRequestSize(mDisplay)) *
                           4 -
                       1024;
    if (request.target == mAtoms.targets) {
      const Atom offered[3] = {mAtoms.targets, mAtoms.utf8String, XA_STRING};
      XChangeProperty(mDisplay, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(offered), 3);
      reply.xselection.property = property;
    } else if (request.target == mAtoms.utf8String || request.target == XA_STRING) {
      const std::string text = request.target == XA_STRING ? Latin1FromUtf8(mClipboardText) : mClipboardText;
      if (static_cast<long>(text.size()) <= limit) {
        XChangeProperty(mDisplay, request.requestor, property, request.target, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
        reply.xselection.property = property;
      }
    }
  }
  XSendEvent(mDisplay, request.requestor, False, NoEventMask, &reply);
}

}  // namespace graphics
