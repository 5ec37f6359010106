// The desktop's services as every editor window gets them, run against
// stand-in programs on a private PATH: the opener and the dialog programs
// record how they were started and answer as told, so no real one ever runs.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "EditorTestSupport.h"
#include "framework/igraphics/DesktopServices.h"
#include "framework/igraphics/EditorSession.h"
#include "platform/PlatformTestSupport.h"
#include "support/ScratchFolder.h"

using namespace igraphics;
using namespace editortest;
using namespace platform::test;

namespace {

class DesktopServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch.Path().empty());
    std::filesystem::create_directory(bin);
    session.SetFactory([this] {
      return std::make_unique<IGraphics>(delegate, 616, 352, 60, 1.0f, std::make_unique<RecordingSurface>());
    });
    ASSERT_TRUE(session.OpenOffscreen());
  }

  // A stand-in zenity that records its arguments, then runs `answer`.
  void Zenity(const std::string& answer) { WriteStandIn(bin, "zenity", RecordArguments(record) + answer); }

  // Idle calls until a prompt has answered or five seconds have passed.
  void IdleUntil(const std::function<bool()>& answered) {
    for (int i = 0; i < 500 && !answered(); ++i) {
      session.OnIdle();
      if (!answered()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  IGraphics& ui() { return *session.GetUI(); }

  const testsupport::ScratchFolder scratch{"kalvo5-desktop"};
  const std::string bin = scratch.Path() + "/bin";
  const std::string record = scratch.Path() + "/arguments";
  const ScopedVariable searchPath{"PATH", bin.c_str()};
  const ScopedVariable desktop{"XDG_CURRENT_DESKTOP", "GNOME"};
  TestDelegate delegate;
  EditorSession session{delegate};
};

TEST_F(DesktopServicesTest, ALocalLinkReachesTheOpenerAsOneArgument) {
  WriteStandIn(bin, "xdg-open", RecordArguments(record));
  const std::string address =
      "file://" + scratch.Path() + "/Kalvo5 manual \"new\"; it's.pdf " + HostileText(scratch.Path());
  EXPECT_TRUE(ui().OpenURL(address));
  ASSERT_TRUE(WaitForFile(record));
  EXPECT_EQ(SplitAtNul(ReadAll(record)), std::vector<std::string>{address});
  EXPECT_FALSE(std::filesystem::exists(scratch.Path() + "/pwned"));
}

TEST_F(DesktopServicesTest, TheChosenFileArrivesOnALaterIdleCall) {
  Zenity("echo '/home/u/My presets/a; b.vrs'\n");
  bool done = false;
  std::string chosen = "none";
  ui().PromptForFile("Mix.vrs", "/home/u/Kalvo5", FileAction::Save, "vrs", [&](const std::string& path) {
    done = true;
    chosen = path;
  });
  EXPECT_FALSE(done);  // the prompt never blocks the window
  EXPECT_FALSE(ui().TextEntryActive());
  IdleUntil([&] { return done; });
  EXPECT_EQ(chosen, "/home/u/My presets/a; b.vrs");
  const std::vector<std::string> arguments = SplitAtNul(ReadAll(record));
  for (const char* expected : {"--save", "--filename=/home/u/Kalvo5/Mix.vrs", "--file-filter=*.vrs"})
    EXPECT_NE(std::find(arguments.begin(), arguments.end(), expected), arguments.end()) << expected;
}

TEST_F(DesktopServicesTest, ACancelledDialogAnswersAnEmptyPathOnce) {
  Zenity("exit 1\n");
  int calls = 0;
  std::string chosen = "none";
  ui().PromptForDirectory("/tmp", [&](const std::string& path) {
    ++calls;
    chosen = path;
  });
  IdleUntil([&] { return calls > 0; });
  for (int i = 0; i < 5; ++i) session.OnIdle();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(chosen, "");
}

TEST_F(DesktopServicesTest, WithoutADialogProgramThePathIsTypedInTheEditor) {
  bool done = false;
  ui().PromptForFile("", "/home/u/Kalvo5", FileAction::Open, "vrs", [&](const std::string&) { done = true; });
  EXPECT_TRUE(ui().TextEntryActive());
  EXPECT_FALSE(done);
}

TEST_F(DesktopServicesTest, ClosingTheWindowClosesTheDialogAndNobodyIsCalled) {
  const std::string pidFile = scratch.Path() + "/pid";
  Zenity("echo $$ > '" + pidFile + ".tmp'; mv '" + pidFile + ".tmp' '" + pidFile + "'\nexec sleep 30\n");
  bool called = false;
  ui().PromptForFile("", "/tmp", FileAction::Open, "", [&](const std::string&) { called = true; });
  ASSERT_TRUE(WaitForFile(pidFile));
  const pid_t dialog = static_cast<pid_t>(std::stol(ReadAll(pidFile)));
  session.OnIdle();
  ASSERT_EQ(::kill(dialog, 0), 0);  // still shown

  const auto start = std::chrono::steady_clock::now();
  session.Close();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_NE(::kill(dialog, 0), 0);  // ended and reaped
  EXPECT_FALSE(called);
}

}  // namespace
