// Reading the window's X events and turning them into WindowEvents.
#include "X11Window.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstdlib>

#include "X11ErrorTrap.h"

namespace graphics {
namespace {

constexpr Time kDoubleClickMilliseconds = 400;
constexpr int kDoubleClickPixels = 4;

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xc0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3f));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xe0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3f));
    out += static_cast<char>(0x80 | (code & 0x3f));
  } else {
    out += static_cast<char>(0xf0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3f));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3f));
    out += static_cast<char>(0x80 | (code & 0x3f));
  }
}

// The character a key types, UTF-8; "" for keys that type none (arrows,
// function keys, Control combinations).
std::string KeyText(KeySym keysym, const char* lookedUp, int lookedUpLength) {
  std::string text;
  // Enter, Tab, Backspace, Escape, Delete and Control combinations type a
  // control character: they are keys, not text.
  if (lookedUpLength == 1 && (static_cast<unsigned char>(lookedUp[0]) < 0x20 || lookedUp[0] == 0x7f))
    return text;
  // The keypad's digits and operators come as their own keysyms; what
  // XLookupString typed for them is the character.
  if (lookedUpLength == 1 && lookedUp[0] >= 0x20 && lookedUp[0] < 0x7f) {
    text += lookedUp[0];
    return text;
  }
  if ((keysym >= 0x20 && keysym <= 0x7e) || (keysym >= 0xa0 && keysym <= 0xff)) {
    AppendUtf8(text, static_cast<std::uint32_t>(keysym));  // Latin-1 keysyms are their code points
  } else if ((keysym & 0xff000000ul) == 0x01000000ul) {
    const auto code = static_cast<std::uint32_t>(keysym & 0x00fffffful);
    if (code >= 0x20 && code <= 0x10ffff && !(code >= 0xd800 && code <= 0xdfff)) AppendUtf8(text, code);
  }
  return text;
}

WindowEvent EventOfKind(WindowEvent::Kind kind) {
  WindowEvent event;
  event.kind = kind;
  return event;
}

void SetModifiers(WindowEvent& event, unsigned int state) {
  event.shift = (state & ShiftMask) != 0;
  event.control = (state & ControlMask) != 0;
  event.alt = (state & Mod1Mask) != 0;
}

}  // namespace

std::vector<WindowEvent> X11Window::TakeEvents() {
  std::vector<WindowEvent> events;
  X11ErrorTrap trap(mDisplay);
  while (XPending(mDisplay) > 0) {
    XEvent event;
    XNextEvent(mDisplay, &event);
    Translate(event, events);
  }
  return events;
}

void X11Window::Translate(XEvent& event, std::vector<WindowEvent>& events) {
  switch (event.type) {
    case ButtonPress:
    case ButtonRelease:
      if (event.xbutton.window == mWindow) OnButton(event.xbutton, event.type == ButtonPress, events);
      break;
    case MotionNotify: {
      if (event.xmotion.window != mWindow) break;
      WindowEvent move;
      move.kind = WindowEvent::Kind::MouseMove;
      move.x = static_cast<float>(event.xmotion.x);
      move.y = static_cast<float>(event.xmotion.y);
      move.left = (event.xmotion.state & Button1Mask) != 0;
      move.right = (event.xmotion.state & Button3Mask) != 0;
      SetModifiers(move, event.xmotion.state);
      // Only the latest of several moves in a row matters.
      if (!events.empty() && events.back().kind == WindowEvent::Kind::MouseMove) {
        events.back() = move;
      } else {
        events.push_back(move);
      }
      break;
    }
    case KeyPress:
    case KeyRelease:
      if (event.xkey.window == mWindow) OnKey(event.xkey, event.type == KeyPress, events);
      break;
    case LeaveNotify:
      // Grab and ungrab crossings are not the pointer leaving.
      if (event.xcrossing.window == mWindow && event.xcrossing.mode == NotifyNormal) {
        WindowEvent leave;
        leave.kind = WindowEvent::Kind::Leave;
        leave.x = static_cast<float>(event.xcrossing.x);
        leave.y = static_cast<float>(event.xcrossing.y);
        events.push_back(leave);
      }
      break;
    case kX11ExposeEvent:
      // One redraw for the whole batch of exposed rectangles.
      if (event.xexpose.window == mWindow) {
        bool pending = false;
        for (const WindowEvent& e : events) pending = pending || e.kind == WindowEvent::Kind::Expose;
        if (!pending) events.push_back(EventOfKind(WindowEvent::Kind::Expose));
      }
      break;
    case ConfigureNotify:
      if (event.xconfigure.window == mWindow) {
        mWidth = event.xconfigure.width;
        mHeight = event.xconfigure.height;
      }
      break;
    case UnmapNotify:
      // This window is never unmapped by the editor itself: it or a window
      // above it went out of sight.
      if (!mDestroyed) events.push_back(EventOfKind(WindowEvent::Kind::Hidden));
      break;
    case ReparentNotify:
      if (!mDestroyed) WatchAncestors();
      break;
    case DestroyNotify:
      if (event.xdestroywindow.window == mWindow && !mDestroyed) {
        mDestroyed = true;
        events.push_back(EventOfKind(WindowEvent::Kind::Close));
      }
      break;
    case MappingNotify:
      // A new keyboard layout: XLookupString must see it.
      XRefreshKeyboardMapping(&event.xmapping);
      break;
    case SelectionRequest:
      AnswerSelectionRequest(event.xselectionrequest);
      break;
    case SelectionClear:
      if (event.xselectionclear.selection == mAtoms.clipboard) ForgetClipboard();
      break;
    case SelectionNotify:
      if (event.xselection.selection == mAtoms.xdndSelection) OnDropData(event.xselection, events);
      break;
    case ClientMessage:
      OnClientMessage(event.xclient);
      break;
    default:
      break;
  }
}

void X11Window::OnButton(const XButtonEvent& button, bool press, std::vector<WindowEvent>& events) {
  WindowEvent event;
  event.x = static_cast<float>(button.x);
  event.y = static_cast<float>(button.y);
  SetModifiers(event, button.state);
  if (button.button == Button4 || button.button == Button5) {
    // A wheel notch arrives as a press and a release; the press counts.
    if (!press) return;
    event.kind = WindowEvent::Kind::Wheel;
    event.notches = button.button == Button4 ? 1 : -1;
    event.left = (button.state & Button1Mask) != 0;
    event.right = (button.state & Button3Mask) != 0;
    events.push_back(event);
    return;
  }
  if (button.button != Button1 && button.button != Button3) return;
  event.left = button.button == Button1;
  event.right = button.button == Button3;
  if (!press) {
    event.kind = WindowEvent::Kind::MouseUp;
    events.push_back(event);
    return;
  }
  event.kind = WindowEvent::Kind::MouseDown;
  const bool closeInTime = mLastPressButton == button.button && button.time >= mLastPressTime &&
                           button.time - mLastPressTime <= kDoubleClickMilliseconds;
  const bool closeInPlace = std::abs(button.x - mLastPressX) <= kDoubleClickPixels &&
                            std::abs(button.y - mLastPressY) <= kDoubleClickPixels;
  if (closeInTime && closeInPlace) {
    event.clicks = 2;
    mLastPressButton = 0;  // a third press starts a new pair
  } else {
    mLastPressButton = button.button;
    mLastPressTime = button.time;
    mLastPressX = button.x;
    mLastPressY = button.y;
  }
  // Typing goes to the editor once it has been clicked.
  XSetInputFocus(mDisplay, mWindow, RevertToParent, CurrentTime);
  events.push_back(event);
}

void X11Window::OnKey(XKeyEvent& key, bool press, std::vector<WindowEvent>& events) {
  char typed[16] = {};
  KeySym keysym = NoSymbol;
  const int length = XLookupString(&key, typed, static_cast<int>(sizeof typed), &keysym, nullptr);
  WindowEvent event;
  event.kind = press ? WindowEvent::Kind::KeyDown : WindowEvent::Kind::KeyUp;
  event.x = static_cast<float>(key.x);
  event.y = static_cast<float>(key.y);
  SetModifiers(event, key.state);
  event.left = (key.state & Button1Mask) != 0;
  event.right = (key.state & Button3Mask) != 0;
  event.keysym = static_cast<std::uint32_t>(keysym);
  if (press) event.text = KeyText(keysym, typed, length);
  events.push_back(event);
}

}  // namespace graphics
