// The clipboard and dropped files: the window against other X clients.
#include "X11TestSupport.h"
#include "support/XdndSource.h"

#include <X11/Xatom.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "graphics/UriList.h"

using graphicstest::Has;
using graphicstest::OfKind;
using Kind = graphics::WindowEvent::Kind;

namespace {

Atom Intern(Display* display, const char* name) { return XInternAtom(display, name, False); }

std::string TakeProperty(Display* display, ::Window window, Atom property, Atom* typeOut = nullptr) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  std::string bytes;
  if (XGetWindowProperty(display, window, property, 0, 65536, True, AnyPropertyType, &type, &format, &count,
                         &remaining, &data) == Success &&
      data != nullptr) {
    // Xlib hands 32-bit items over as longs.
    bytes.assign(reinterpret_cast<const char*>(data), count * (format == 32 ? sizeof(long) : format / 8u));
  }
  if (data != nullptr) XFree(data);
  if (typeOut != nullptr) *typeOut = type;
  return bytes;
}

// Answers a selection request with `text` as `type`.
void Answer(Display* display, const XSelectionRequestEvent& request, Atom type, const std::string& text) {
  XChangeProperty(display, request.requestor, request.property, type, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
  XEvent reply{};
  reply.xselection.type = SelectionNotify;
  reply.xselection.requestor = request.requestor;
  reply.xselection.selection = request.selection;
  reply.xselection.target = request.target;
  reply.xselection.property = request.property;
  reply.xselection.time = request.time;
  XSendEvent(display, request.requestor, False, NoEventMask, &reply);
  XFlush(display);
}

}  // namespace

class Exchange : public graphicstest::X11Test {};

TEST_F(Exchange, ClipboardWithinAWindowAndBetweenTwo) {
  auto a = OpenChild();
  auto b = OpenChild();
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->GetClipboardText(), "");
  a->SetClipboardText("Grüße ✓");
  EXPECT_EQ(a->GetClipboardText(), "Grüße ✓");
  EXPECT_EQ(b->GetClipboardText(), "Grüße ✓");
  b->SetClipboardText("-12.5");
  a->TakeEvents();  // a learns it lost the selection
  EXPECT_EQ(a->GetClipboardText(), "-12.5");
  EXPECT_EQ(b->GetClipboardText(), "-12.5");
}

TEST_F(Exchange, ClipboardAnswersOtherClientsInEachForm) {
  auto window = OpenChild();
  ASSERT_TRUE(window);
  window->SetClipboardText("Grüß");
  const Atom clipboard = Intern(mHost, "CLIPBOARD"), property = Intern(mHost, "TEST_PROPERTY");
  auto ask = [&](Atom target, Atom* type) {
    XConvertSelection(mHost, clipboard, target, property, mParent, CurrentTime);
    XFlush(mHost);
    XEvent notify{};
    bool answered = false;
    PumpUntil(
        *window, [&](const auto&) { return answered; },
        [&] { answered = answered || XCheckTypedWindowEvent(mHost, mParent, SelectionNotify, &notify); });
    EXPECT_TRUE(answered);
    return answered && notify.xselection.property != None ? TakeProperty(mHost, mParent, property, type)
                                                          : std::string("<refused>");
  };
  Atom type = None;
  EXPECT_EQ(ask(Intern(mHost, "UTF8_STRING"), &type), "Grüß");
  EXPECT_EQ(type, Intern(mHost, "UTF8_STRING"));
  EXPECT_EQ(ask(XA_STRING, &type), "Gr\xfc\xdf");  // Latin-1
  const std::string targets = ask(Intern(mHost, "TARGETS"), &type);
  EXPECT_EQ(type, XA_ATOM);
  bool offersUtf8 = false;
  for (std::size_t i = 0; i + sizeof(Atom) <= targets.size(); i += sizeof(Atom)) {
    Atom atom;
    std::memcpy(&atom, targets.data() + i, sizeof atom);
    offersUtf8 = offersUtf8 || atom == Intern(mHost, "UTF8_STRING");
  }
  EXPECT_TRUE(offersUtf8);
  EXPECT_EQ(ask(Intern(mHost, "image/png"), &type), "<refused>");
}

TEST_F(Exchange, ClipboardReadsAnotherClientAndGivesUpOnASilentOne) {
  auto window = OpenChild();
  ASSERT_TRUE(window);
  const Atom clipboard = Intern(mHost, "CLIPBOARD");

  // An owner that never answers: "" after a short wait, not a hang.
  XSetSelectionOwner(mHost, clipboard, mParent, CurrentTime);
  XSync(mHost, False);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(window->GetClipboardText(), "");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));

  // An owner on its own thread and connection, as another program is.
  std::atomic<bool> owning{false};
  std::thread other([&] {
    Display* display = XOpenDisplay(mServer->Name().c_str());
    ASSERT_NE(display, nullptr);
    ::Window owner = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display, Intern(display, "CLIPBOARD"), owner, CurrentTime);
    XSync(display, False);
    owning = true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    bool answered = false;
    while (!answered && std::chrono::steady_clock::now() < deadline) {
      XEvent event;
      if (XCheckTypedWindowEvent(display, owner, SelectionRequest, &event)) {
        Answer(display, event.xselectionrequest, event.xselectionrequest.target, "from outside");
        answered = true;
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    }
    XCloseDisplay(display);
  });
  while (!owning) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  const std::string text = window->GetClipboardText();
  other.join();
  EXPECT_EQ(text, "from outside");
}

TEST_F(Exchange, DroppedFilesArriveWithTheirPaths) {
  auto window = OpenChild(120, 90);
  ASSERT_TRUE(window);
  const auto dropTarget = static_cast<::Window>(window->Id());
  testsupport::XdndSource source(
      mHost,
      "# a comment\r\nfile:///tmp/Kalvo5%20Presets/Loud.kvp\r\nhttp://example.com/x\r\n"
      "file://localhost/home/u/a%25b.kvp\r\n");
  EXPECT_EQ(source.AwareVersion(dropTarget), 5);
  const auto serve = [&] { source.Serve(); };

  source.EnterAt(dropTarget, 40, 30);
  PumpUntil(
      *window, [&](const auto&) { return source.Replied("XdndStatus"); }, serve);
  ASSERT_TRUE(source.Replied("XdndStatus"));
  EXPECT_TRUE(source.Accepted("XdndStatus"));
  EXPECT_EQ(source.LastAction(), source.Intern("XdndActionCopy"));

  source.Drop(dropTarget);
  auto events = PumpUntil(
      *window, [&](const auto& e) { return Has(e, Kind::Drop) && source.Replied("XdndFinished"); }, serve);
  EXPECT_EQ(source.AskedFor(), "text/uri-list");
  auto drops = OfKind(events, Kind::Drop);
  ASSERT_EQ(drops.size(), 1u);
  EXPECT_EQ(drops[0].paths, (std::vector<std::string>{"/tmp/Kalvo5 Presets/Loud.kvp", "/home/u/a%b.kvp"}));
  EXPECT_EQ(drops[0].x, 40.0f);
  EXPECT_EQ(drops[0].y, 30.0f);
  EXPECT_TRUE(source.Accepted("XdndFinished"));

  // A drag of something other than files is refused and drops nothing.
  source.ForgetReplies();
  source.EnterAt(dropTarget, 40, 30, "text/plain");
  source.Drop(dropTarget);
  events = PumpUntil(
      *window, [&](const auto&) { return source.Replied("XdndFinished"); }, serve);
  EXPECT_FALSE(Has(events, Kind::Drop));
  ASSERT_TRUE(source.Replied("XdndStatus"));
  EXPECT_FALSE(source.Accepted("XdndStatus"));
  EXPECT_FALSE(source.Accepted("XdndFinished"));
}

TEST(UriList, OnlyLocalFileAddressesBecomePaths) {
  using graphics::FilePathsFromUriList;
  EXPECT_EQ(FilePathsFromUriList("file:///a/b%20c.kvp\nfile:/d.kvp\r\nFILE:///e", "box"),
            (std::vector<std::string>{"/a/b c.kvp", "/d.kvp", "/e"}));
  EXPECT_EQ(FilePathsFromUriList("file://box/own%2Fhost\r\nfile://elsewhere/x\r\n", "box"),
            (std::vector<std::string>{"/own/host"}));
  // Broken escapes, a NUL byte, relative or empty paths, other schemes.
  EXPECT_TRUE(
      FilePathsFromUriList("file:///a%2\nfile:///a%zz\nfile:///a%00b\nfile:rel\nfile://\nhttps://x/y\n"
                           "#file:///comment\n\n",
                           "box")
          .empty());
}
