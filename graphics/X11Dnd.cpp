// Files dropped onto the window: the receiving side of the XDND protocol.
// A drag offering text/uri-list is accepted as a copy; at the drop the list
// is asked for, and its answer (a SelectionNotify) becomes a Drop event.
#include "X11Window.h"

#include <X11/Xatom.h>
#include <unistd.h>

#include <climits>

#include "UriList.h"
#include "X11ErrorTrap.h"

namespace graphics {
namespace {

XEvent DndMessage(Display* display, ::Window to, Atom type) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.display = display;
  event.xclient.window = to;
  event.xclient.message_type = type;
  event.xclient.format = 32;
  return event;
}

bool OffersUriList(Display* display, const XClientMessageEvent& enter, Atom typeList, Atom uriList) {
  // More than three types: the full list is a property of the source.
  if ((enter.data.l[1] & 1) != 0) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    bool found = false;
    if (XGetWindowProperty(display, static_cast<::Window>(enter.data.l[0]), typeList, 0, 1024, False, XA_ATOM,
                           &type, &format, &count, &remaining, &data) == Success &&
        data != nullptr && format == 32) {
      const auto* atoms = reinterpret_cast<const Atom*>(data);
      for (unsigned long i = 0; i < count; ++i) found = found || atoms[i] == uriList;
    }
    if (data != nullptr) XFree(data);
    if (found) return true;
  }
  for (int i = 2; i <= 4; ++i) {
    if (static_cast<Atom>(enter.data.l[i]) == uriList) return true;
  }
  return false;
}

std::string HostName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (gethostname(name, sizeof name - 1) != 0) return "";
  return name;
}

}  // namespace

void X11Window::ResetDnd() {
  mDndSource = 0;
  mDndAcceptable = false;
  mDropPending = false;
}

void X11Window::SendDndFinished(bool accepted) {
  XEvent finished = DndMessage(mDisplay, mDndSource, mAtoms.xdndFinished);
  finished.xclient.data.l[0] = static_cast<long>(mWindow);
  finished.xclient.data.l[1] = accepted ? 1 : 0;
  finished.xclient.data.l[2] = accepted ? static_cast<long>(mAtoms.xdndActionCopy) : None;
  XSendEvent(mDisplay, mDndSource, False, NoEventMask, &finished);
}

void X11Window::OnClientMessage(const XClientMessageEvent& message) {
  if (message.window != mWindow || message.format != 32) return;
  const auto source = static_cast<::Window>(message.data.l[0]);
  if (message.message_type == mAtoms.xdndEnter) {
    ResetDnd();
    mDndSource = source;
    mDndAcceptable = OffersUriList(mDisplay, message, mAtoms.xdndTypeList, mAtoms.uriList);
  } else if (message.message_type == mAtoms.xdndPosition) {
    if (source != mDndSource) return;
    const int rootX = static_cast<int>((message.data.l[2] >> 16) & 0xffff);
    const int rootY = static_cast<int>(message.data.l[2] & 0xffff);
    int x = 0, y = 0;
    ::Window child = 0;
    if (XTranslateCoordinates(mDisplay, mRoot, mWindow, rootX, rootY, &x, &y, &child)) {
      mDndX = static_cast<float>(x);
      mDndY = static_cast<float>(y);
    }
    XEvent status = DndMessage(mDisplay, mDndSource, mAtoms.xdndStatus);
    status.xclient.data.l[0] = static_cast<long>(mWindow);
    // No "quiet" rectangle: every move is reported again.
    status.xclient.data.l[1] = mDndAcceptable ? 1 : 0;
    status.xclient.data.l[4] = mDndAcceptable ? static_cast<long>(mAtoms.xdndActionCopy) : None;
    XSendEvent(mDisplay, mDndSource, False, NoEventMask, &status);
  } else if (message.message_type == mAtoms.xdndLeave) {
    if (source == mDndSource) ResetDnd();
  } else if (message.message_type == mAtoms.xdndDrop) {
    if (source != mDndSource) return;
    if (!mDndAcceptable) {
      SendDndFinished(false);
      ResetDnd();
      return;
    }
    mDropPending = true;
    const auto time = static_cast<Time>(message.data.l[2]);
    XDeleteProperty(mDisplay, mWindow, mAtoms.dropProperty);
    XConvertSelection(mDisplay, mAtoms.xdndSelection, mAtoms.uriList, mAtoms.dropProperty, mWindow,
                      time != 0 ? time : CurrentTime);
  }
}

void X11Window::OnDropData(const XSelectionEvent& selection, std::vector<WindowEvent>& events) {
  if (!mDropPending || selection.requestor != mWindow) return;
  std::vector<std::string> paths;
  if (selection.property != None) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(mDisplay, mWindow, mAtoms.dropProperty, 0, 0x1000000, True, AnyPropertyType, &type,
                           &format, &count, &remaining, &data) == Success &&
        data != nullptr && format == 8) {
      paths = FilePathsFromUriList(std::string_view(reinterpret_cast<const char*>(data), count), HostName());
    }
    if (data != nullptr) XFree(data);
  }
  SendDndFinished(!paths.empty());
  if (!paths.empty()) {
    WindowEvent drop;
    drop.kind = WindowEvent::Kind::Drop;
    drop.x = mDndX;
    drop.y = mDndY;
    drop.paths = std::move(paths);
    events.push_back(std::move(drop));
  }
  ResetDnd();
}

}  // namespace graphics
