#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "PlatformTestSupport.h"
#include "platform/FileDialog.h"
#include "support/ScratchFolder.h"

namespace platform::test {
namespace {

namespace fs = std::filesystem;
using State = FileDialogResult::State;

TEST(FileDialogArguments, EachKindAsTheProgramsExpectIt) {
  using Args = std::vector<std::string>;
  EXPECT_EQ(ZenityArguments(FileDialogKind::Open, "/p", {"vrs", "txt"}, "Load", ""),
            (Args{"--file-selection", "--title=Load", "--filename=/p/", "--file-filter=*.vrs *.txt"}));
  EXPECT_EQ(
      ZenityArguments(FileDialogKind::Save, "/p/", {"vrs"}, "Save", "x.vrs"),
      (Args{"--file-selection", "--title=Save", "--save", "--filename=/p/x.vrs", "--file-filter=*.vrs"}));
  EXPECT_EQ(ZenityArguments(FileDialogKind::Folder, "", {"vrs"}, "", ""),
            (Args{"--file-selection", "--directory"}));

  EXPECT_EQ(KdialogArguments(FileDialogKind::Open, "/p", {"vrs"}, "Load", ""),
            (Args{"--title", "Load", "--getopenfilename", "/p", "*.vrs"}));
  EXPECT_EQ(KdialogArguments(FileDialogKind::Save, "/p", {}, "", "x.vrs"),
            (Args{"--getsavefilename", "/p/x.vrs"}));
  // The start folder is positional: it must never read as an option.
  EXPECT_EQ(KdialogArguments(FileDialogKind::Folder, "-rf", {"vrs"}, "T", ""),
            (Args{"--title", "T", "--getexistingdirectory", "./-rf"}));
  EXPECT_EQ(KdialogArguments(FileDialogKind::Folder, "", {}, "", ""), (Args{"--getexistingdirectory", "./"}));
}

// Stand-in dialog programs in a folder that is the whole PATH.
class FileDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch.Path().empty());
    fs::create_directory(bin);
  }

  // Polls until the dialog is no longer pending (at most ten seconds).
  static FileDialogResult Finish(FileDialog& dialog) {
    FileDialogResult result = dialog.Poll();
    for (int i = 0; i < 1000 && result.state == State::Pending; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      result = dialog.Poll();
    }
    return result;
  }

  static void ExpectNoChildLeft() {
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
  }

  const testsupport::ScratchFolder scratch{"kalvo5-platform"};
  const std::string bin = scratch.Path() + "/bin";
  const std::string record = scratch.Path() + "/arguments";
  const ScopedVariable path{"PATH", bin.c_str()};
  const ScopedVariable desktop{"XDG_CURRENT_DESKTOP", "GNOME"};
};

TEST_F(FileDialogs, ZenityChoiceArrivesWithoutBlockingAndIsReaped) {
  const std::string release = scratch.Path() + "/release";
  WriteStandIn(bin, "zenity",
               RecordArguments(record) + "while [ ! -e '" + release +
                   "' ]; do sleep 0.02; done\nprintf '/chosen/my preset.vrs\\n'\n");
  WriteStandIn(bin, "kdialog", "exit 3\n");
  const std::string hostile = HostileText(scratch.Path());
  {
    FileDialog dialog = StartFileDialog(FileDialogKind::Open, hostile, {"vrs"}, hostile);
    EXPECT_EQ(dialog.Poll().state, State::Pending);
    ASSERT_TRUE(WaitForFile(record));
    EXPECT_EQ(dialog.Poll().state, State::Pending);  // the program runs until released
    std::ofstream(release) << "";

    const FileDialogResult result = Finish(dialog);
    EXPECT_EQ(result.state, State::Chosen);
    EXPECT_EQ(result.path, "/chosen/my preset.vrs");
    EXPECT_EQ(dialog.Poll().path, result.path);  // final
    EXPECT_EQ(SplitAtNul(ReadAll(record)),
              ZenityArguments(FileDialogKind::Open, hostile, {"vrs"}, hostile, ""));
    EXPECT_FALSE(fs::exists(scratch.Path() + "/pwned"));
  }
  ExpectNoChildLeft();
}

TEST_F(FileDialogs, KdialogServesAloneAndOnKdeAndExitOneIsCancel) {
  WriteStandIn(bin, "kdialog", RecordArguments(record) + "printf '/k/folder\\n'\n");
  {
    FileDialog dialog = StartFileDialog(FileDialogKind::Folder, "/start", {}, "Choose a Directory");
    const FileDialogResult result = Finish(dialog);
    EXPECT_EQ(result.state, State::Chosen);
    EXPECT_EQ(result.path, "/k/folder");
    ASSERT_TRUE(WaitForFile(record));
    EXPECT_EQ(SplitAtNul(ReadAll(record)), (std::vector<std::string>{"--title", "Choose a Directory",
                                                                     "--getexistingdirectory", "/start"}));

    WriteStandIn(bin, "zenity", "printf '/from/zenity\\n'\n");
    WriteStandIn(bin, "kdialog", "exit 1\n");
    {
      const ScopedVariable kde("XDG_CURRENT_DESKTOP", "KDE");
      FileDialog cancelled = StartFileDialog(FileDialogKind::Save, "/start", {"vrs"}, "Save", "a.vrs");
      EXPECT_EQ(Finish(cancelled).state, State::Cancelled);
    }
    FileDialog fromZenity = StartFileDialog(FileDialogKind::Save, "/start", {"vrs"}, "Save", "a.vrs");
    EXPECT_EQ(Finish(fromZenity).path, "/from/zenity");
  }
  ExpectNoChildLeft();
}

TEST_F(FileDialogs, UnavailableWithoutAProgramThatRuns) {
  {
    FileDialog none = StartFileDialog(FileDialogKind::Open, "/", {}, "");
    EXPECT_EQ(none.Poll().state, State::Unavailable);
    EXPECT_EQ(FileDialog().Poll().state, State::Unavailable);
    std::ofstream(bin + "/zenity") << "#!/no/such/interpreter\n";
    fs::permissions(bin + "/zenity", fs::perms::owner_all);
    FileDialog broken = StartFileDialog(FileDialogKind::Open, "/", {}, "");
    EXPECT_EQ(Finish(broken).state, State::Unavailable);
  }
  ExpectNoChildLeft();
}

TEST_F(FileDialogs, AnOverlongAnswerIsIgnoredAndAClosedHandleEndsTheDialog) {
  WriteStandIn(bin, "zenity", "head -c 20000 /dev/zero | tr '\\0' a\n");
  {
    FileDialog overlong = StartFileDialog(FileDialogKind::Open, "/", {}, "");
    EXPECT_EQ(Finish(overlong).state, State::Cancelled);
  }

  WriteStandIn(bin, "zenity", RecordArguments(record) + "exec sleep 60\n");
  const auto start = std::chrono::steady_clock::now();
  {
    FileDialog shown = StartFileDialog(FileDialogKind::Open, "/", {}, "");
    ASSERT_TRUE(WaitForFile(record));
    EXPECT_EQ(shown.Poll().state, State::Pending);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
  ExpectNoChildLeft();
}

}  // namespace
}  // namespace platform::test
