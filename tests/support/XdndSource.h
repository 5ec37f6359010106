// The dragging side of an XDND drop of files, as a file manager plays it:
// a window of its own owning XdndSelection, the Enter, Position and Drop
// messages to the target, and the file list handed over as "text/uri-list"
// when the target asks for it.
#pragma once

#include <string>
#include <utility>
#include <vector>

// clang-format off
#include <X11/Xatom.h>
#include <X11/Xlib.h>
// clang-format on

namespace testsupport {

class XdndSource {
 public:
  XdndSource(Display* display, std::string uriList) : mDisplay(display), mUriList(std::move(uriList)) {
    mWindow = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display, Intern("XdndSelection"), mWindow, CurrentTime);
  }
  ~XdndSource() { XDestroyWindow(mDisplay, mWindow); }
  XdndSource(const XdndSource&) = delete;
  XdndSource& operator=(const XdndSource&) = delete;

  // The XDND version the window announces in XdndAware; 0 when none.
  long AwareVersion(Window target) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(mDisplay, target, Intern("XdndAware"), 0, 1, False, XA_ATOM, &type, &format, &count,
                       &remaining, &data);
    const long version = data && count == 1 ? *reinterpret_cast<long*>(data) : 0;
    if (data) XFree(data);
    return version;
  }

  // Enter and one position (root coordinates) over the target, offering
  // data of `type`.
  void EnterAt(Window target, int x, int y, const char* type = "text/uri-list") {
    Send(target, "XdndEnter", 5l << 24, static_cast<long>(Intern(type)), 0, 0);
    Send(target, "XdndPosition", 0, (static_cast<long>(x) << 16) | y, CurrentTime,
         static_cast<long>(Intern("XdndActionCopy")));
  }
  void Drop(Window target) { Send(target, "XdndDrop", 0, CurrentTime, 0, 0); }

  // Takes the target's replies and answers its request for the data; call
  // between the target's event pumps.
  void Serve() {
    XEvent event;
    while (XCheckTypedWindowEvent(mDisplay, mWindow, ClientMessage, &event))
      mReplies.push_back(event.xclient);
    while (XCheckTypedWindowEvent(mDisplay, mWindow, SelectionRequest, &event))
      Answer(event.xselectionrequest);
  }

  // The latest reply of that kind accepted the drag (XdndStatus) or the drop
  // (XdndFinished); false when none came.
  bool Accepted(const char* message) {
    for (auto reply = mReplies.rbegin(); reply != mReplies.rend(); ++reply)
      if (reply->message_type == Intern(message)) return (reply->data.l[1] & 1) != 0;
    return false;
  }
  // The action the latest reply named (XdndStatus: the accepted action).
  Atom LastAction() const { return mReplies.empty() ? 0 : static_cast<Atom>(mReplies.back().data.l[4]); }
  // The data type the target asked for; empty before it asked.
  const std::string& AskedFor() const { return mAskedFor; }
  void ForgetReplies() { mReplies.clear(); }
  Atom Intern(const char* name) { return XInternAtom(mDisplay, name, False); }
  bool Replied(const char* message) {
    for (const auto& reply : mReplies)
      if (reply.message_type == Intern(message)) return true;
    return false;
  }

 private:
  void Send(Window target, const char* message, long l1, long l2, long l3, long l4) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = Intern(message);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(mWindow);
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    event.xclient.data.l[4] = l4;
    XSendEvent(mDisplay, target, False, NoEventMask, &event);
    XFlush(mDisplay);
  }

  void Answer(const XSelectionRequestEvent& request) {
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.time = request.time;
    reply.xselection.property = 0;  // refused unless it asks for the file list
    if (char* name = XGetAtomName(mDisplay, request.target)) {
      mAskedFor = name;
      XFree(name);
    }
    if (request.target == Intern("text/uri-list")) {
      XChangeProperty(mDisplay, request.requestor, request.property, request.target, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(mUriList.data()),
                      static_cast<int>(mUriList.size()));
      reply.xselection.property = request.property;
    }
    XSendEvent(mDisplay, request.requestor, False, NoEventMask, &reply);
    XFlush(mDisplay);
  }

  Display* mDisplay;
  std::string mUriList;
  Window mWindow = 0;
  std::vector<XClientMessageEvent> mReplies;
  std::string mAskedFor;
};

}  // namespace testsupport
