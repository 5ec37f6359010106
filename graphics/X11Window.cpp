// Opening and closing the editor's X11 window, its size, pointer shapes and
// the screen's scale.

#include "X11Window.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xresource.h>
#include <X11/cursorfont.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "X11ErrorTrap.h"

namespace graphics {
namespace {

constexpr long kInputEvents = ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                              KeyReleaseMask | EnterWindowMask | LeaveWindowMask | ExposureMask |
                              StructureNotifyMask;
constexpr long kXdndVersion = 5;
// Deeper nesting than any host's window tree; a bound for a tree that
// changes while it is walked.
constexpr int kMaxAncestors = 32;

// Xft.dpi from the resource database the desktop sets (96 is an ordinary
// screen), as a scale in quarter steps between 1 and 4.
double ScaleFromResources(Display* display) {
  const char* resources = XResourceManagerString(display);
  if (resources == nullptr) return 1.0;
  const char* found = std::strstr(resources, "Xft.dpi:");
  if (found == nullptr || (found != resources && found[-1] != '\n')) return 1.0;
  const double dpi = std::strtod(found + std::strlen("Xft.dpi:"), nullptr);
  if (!(dpi > 0.0) || !std::isfinite(dpi)) return 1.0;
  const double scale = std::round(dpi / 96.0 * 4.0) / 4.0;
  return scale < 1.0 ? 1.0 : scale > 4.0 ? 4.0 : scale;
}

void InternAtoms(Display* display, X11Atoms& atoms) {
  const char* names[] = {"CLIPBOARD",    "UTF8_STRING",   "TARGETS",      "KALVO5_CLIPBOARD", "XdndAware",
                         "XdndEnter",    "XdndPosition",  "XdndStatus",   "XdndLeave",        "XdndDrop",
                         "XdndFinished", "XdndSelection", "XdndTypeList", "XdndActionCopy",   "text/uri-list",
                         "KALVO5_DROP",  "INCR"};
  Atom* targets[] = {
      &atoms.clipboard,    &atoms.utf8String,     &atoms.targets,      &atoms.clipboardProperty,
      &atoms.xdndAware,    &atoms.xdndEnter,      &atoms.xdndPosition, &atoms.xdndStatus,
      &atoms.xdndLeave,    &atoms.xdndDrop,       &atoms.xdndFinished, &atoms.xdndSelection,
      &atoms.xdndTypeList, &atoms.xdndActionCopy, &atoms.uriList,      &atoms.dropProperty,
      &atoms.incr};
  constexpr int kCount = static_cast<int>(sizeof names / sizeof names[0]);
  static_assert(sizeof names / sizeof names[0] == sizeof targets / sizeof targets[0]);
  Atom values[kCount] = {};
  XInternAtoms(display, const_cast<char**>(names), kCount, False, values);
  for (int i = 0; i < kCount; ++i) *targets[i] = values[i];
}

}  // namespace

double DefaultScreenScale() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return 1.0;
  const double scale = ScaleFromResources(display);
  XCloseDisplay(display);
  return scale;
}

std::unique_ptr<Window> OpenChildWindow(std::uintptr_t parent, int widthPixels, int heightPixels,
                                        std::string& error) {
  error.clear();
  if (parent == 0) {
    error = "no parent window";
    return nullptr;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    error = "cannot open the X display";
    return nullptr;
  }
  const int width = widthPixels < 1 ? 1 : widthPixels;
  const int height = heightPixels < 1 ? 1 : heightPixels;
  ::Window window = 0;
  Visual* visual = nullptr;
  int depth = 0;
  {
    X11ErrorTrap trap(display);
    XWindowAttributes parentAttributes;
    const Status found = XGetWindowAttributes(display, static_cast<::Window>(parent), &parentAttributes);
    if (trap.Failed() || found == 0) {
      error = "the parent window does not exist";
    } else {
      // The screen's own visual, whatever the parent's (a host may use an
      // ARGB one): presenting then knows its pixel format.
      Screen* screen = parentAttributes.screen;
      visual = DefaultVisualOfScreen(screen);
      depth = DefaultDepthOfScreen(screen);
      XSetWindowAttributes attributes{};
      attributes.background_pixmap = None;  // no flash of a background colour
      attributes.border_pixel = 0;
      attributes.colormap = DefaultColormapOfScreen(screen);
      attributes.event_mask = kInputEvents;
      window = XCreateWindow(display, static_cast<::Window>(parent), 0, 0, static_cast<unsigned>(width),
                             static_cast<unsigned>(height), 0, depth, InputOutput, visual,
                             CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask, &attributes);
      if (trap.Failed()) {
        window = 0;
        error = "cannot create a window in the parent window";
      }
    }
  }
  if (window == 0) {
    XCloseDisplay(display);
    return nullptr;
  }
  return std::make_unique<X11Window>(display, window, visual, depth, width, height);
}

X11Window::X11Window(Display* display, ::Window window, Visual* visual, int depth, int width, int height)
    : mDisplay(display), mWindow(window), mVisual(visual), mDepth(depth), mWidth(width), mHeight(height) {
  X11ErrorTrap trap(mDisplay);
  InternAtoms(mDisplay, mAtoms);
  mRoot = DefaultRootWindow(mDisplay);
  XWindowAttributes attributes;
  if (XGetWindowAttributes(mDisplay, mWindow, &attributes) != 0) mRoot = attributes.root;
  mGc = XCreateGC(mDisplay, mWindow, 0, nullptr);
  const long version = kXdndVersion;
  XChangeProperty(mDisplay, mWindow, mAtoms.xdndAware, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&version), 1);
  // A held key repeats as presses only, without a release before each.
  XkbSetDetectableAutoRepeat(mDisplay, True, nullptr);
  mShmAvailable = XShmQueryExtension(mDisplay) != False;
  mScreenScale = ScaleFromResources(mDisplay);
  WatchAncestors();
  XMapWindow(mDisplay, mWindow);
}

void X11Window::WatchAncestors() {
  X11ErrorTrap trap(mDisplay);
  ::Window window = mWindow;
  for (int depth = 0; depth < kMaxAncestors; ++depth) {
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(mDisplay, window, &root, &parent, &children, &count) == 0) break;
    if (children != nullptr) XFree(children);
    if (parent == 0 || parent == root) break;
    // Only this connection's selection on the host's window: the host's own
    // stays as it is.
    XSelectInput(mDisplay, parent, StructureNotifyMask);
    window = parent;
  }
}

X11Window::~X11Window() {
  {
    X11ErrorTrap trap(mDisplay);
    ForgetClipboard();
    ReleaseImage();
    if (mFrame != 0) {
      if (!mDestroyed) XSetWindowBackgroundPixmap(mDisplay, mWindow, None);
      XFreePixmap(mDisplay, mFrame);
    }
    for (Cursor cursor : mCursors) {
      if (cursor != 0) XFreeCursor(mDisplay, cursor);
    }
    if (mInvisibleCursor != 0) XFreeCursor(mDisplay, mInvisibleCursor);
    if (mGc != nullptr) XFreeGC(mDisplay, mGc);
    // Destroying a window its parent took with it is an error the trap eats.
    if (!mDestroyed) XDestroyWindow(mDisplay, mWindow);
  }
  XCloseDisplay(mDisplay);
}

void X11Window::Resize(int widthPixels, int heightPixels) {
  if (widthPixels < 1 || heightPixels < 1 || mDestroyed) return;
  X11ErrorTrap trap(mDisplay);
  XResizeWindow(mDisplay, mWindow, static_cast<unsigned>(widthPixels), static_cast<unsigned>(heightPixels));
  mWidth = widthPixels;
  mHeight = heightPixels;
}

void X11Window::SetCursor(int shape) {
  if (shape < 0 || shape >= 14) shape = 0;
  mCursorShape = shape;
  if (mDestroyed) return;
  static const unsigned int kFontShapes[14] = {XC_left_ptr,
                                               XC_xterm,
                                               XC_watch,
                                               XC_crosshair,
                                               XC_center_ptr,
                                               XC_bottom_right_corner,
                                               XC_bottom_left_corner,
                                               XC_sb_h_double_arrow,
                                               XC_sb_v_double_arrow,
                                               XC_fleur,
                                               XC_X_cursor,
                                               XC_hand2,
                                               XC_watch,
                                               XC_question_arrow};
  X11ErrorTrap trap(mDisplay);
  if (mCursors[shape] == 0) mCursors[shape] = XCreateFontCursor(mDisplay, kFontShapes[shape]);
  if (!mCursorHidden) XDefineCursor(mDisplay, mWindow, mCursors[shape]);
}

void X11Window::HideCursor(bool hide) {
  mCursorHidden = hide;
  if (mDestroyed) return;
  X11ErrorTrap trap(mDisplay);
  if (!hide) {
    if (mCursors[mCursorShape] == 0) {
      XUndefineCursor(mDisplay, mWindow);
    } else {
      XDefineCursor(mDisplay, mWindow, mCursors[mCursorShape]);
    }
    return;
  }
  if (mInvisibleCursor == 0) {
    // A cursor of one transparent pixel.
    static const char kEmpty[1] = {0};
    Pixmap blank = XCreateBitmapFromData(mDisplay, mWindow, kEmpty, 1, 1);
    XColor black{};
    mInvisibleCursor = XCreatePixmapCursor(mDisplay, blank, blank, &black, &black, 0, 0);
    XFreePixmap(mDisplay, blank);
  }
  XDefineCursor(mDisplay, mWindow, mInvisibleCursor);
}

void X11Window::MovePointer(float x, float y) {
  if (mDestroyed || !std::isfinite(x) || !std::isfinite(y)) return;
  X11ErrorTrap trap(mDisplay);
  XWarpPointer(mDisplay, None, mWindow, 0, 0, 0, 0, static_cast<int>(std::lround(x)),
               static_cast<int>(std::lround(y)));
}

}  // namespace graphics
