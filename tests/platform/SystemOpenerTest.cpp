#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "PlatformTestSupport.h"
#include "platform/ChildProcess.h"
#include "platform/SystemOpener.h"
#include "support/ScratchFolder.h"

namespace platform::test {
namespace {

namespace fs = std::filesystem;

// A folder on PATH holding a stand-in xdg-open that records its arguments,
// its parent, its standard input and whether descriptor 77 reached it.
class SystemOpener : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch.Path().empty());
    fs::create_directory(bin);
    WriteStandIn(bin, "xdg-open",
                 "out=$(readlink /proc/$$/fd/1)\n"
                 "{ echo \"$PPID\"; readlink /proc/$$/fd/0; echo \"$out\"; readlink /proc/$$/fd/2; "
                 "[ -e /proc/$$/fd/77 ] && echo leaked || echo closed; } > '" +
                     facts + "'\n" + RecordArguments(record));
  }

  std::vector<std::string> Facts() const {
    std::vector<std::string> lines;
    std::ifstream file(facts);
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
  }

  const testsupport::ScratchFolder scratch{"kalvo5-platform"};
  const std::string bin = scratch.Path() + "/bin";
  const std::string record = scratch.Path() + "/arguments";
  const std::string facts = scratch.Path() + "/facts";
  const ScopedVariable path{"PATH", bin.c_str()};
};

TEST_F(SystemOpener, AnAddressArrivesAsOneArgumentInADetachedProcess) {
  // A descriptor of ours without close-on-exec, as hosts have them.
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  ASSERT_EQ(dup2(ends[0], 77), 77);

  const std::string address = HostileText(scratch.Path());
  ASSERT_TRUE(OpenWithSystem(address));
  ASSERT_TRUE(WaitForFile(record));
  close(77);
  close(ends[0]);
  close(ends[1]);

  EXPECT_EQ(SplitAtNul(ReadAll(record)), std::vector<std::string>{address});
  EXPECT_FALSE(fs::exists(scratch.Path() + "/pwned"));
  const std::vector<std::string> lines = Facts();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_NE(lines[0], std::to_string(getpid()));  // not our child
  EXPECT_EQ(lines[1], "/dev/null");
  EXPECT_EQ(lines[2], "/dev/null");
  EXPECT_EQ(lines[3], "/dev/null");
  EXPECT_EQ(lines[4], "closed");
  // The intermediate process has been reaped and the opener is not ours:
  // nothing is left to wait for.
  errno = 0;
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST_F(SystemOpener, RevealOpensTheFolderOfAFile) {
  std::ofstream(scratch.Path() + "/a preset.vrs") << "x";
  ASSERT_TRUE(RevealInFileManager(scratch.Path() + "/a preset.vrs"));
  ASSERT_TRUE(WaitForFile(record));
  EXPECT_EQ(SplitAtNul(ReadAll(record)), std::vector<std::string>{scratch.Path()});
  fs::remove(record);
  ASSERT_TRUE(RevealInFileManager(bin));
  ASSERT_TRUE(WaitForFile(record));
  EXPECT_EQ(SplitAtNul(ReadAll(record)), std::vector<std::string>{bin});
  EXPECT_FALSE(RevealInFileManager(scratch.Path() + "/missing/x.vrs"));
}

TEST_F(SystemOpener, FailuresAreReportedAndOptionsRefused) {
  EXPECT_FALSE(OpenWithSystem(""));
  EXPECT_FALSE(OpenWithSystem("--version"));
  EXPECT_FALSE(OpenWithSystem(std::string("/a\0/b", 5)));  // would be cut short
  // A program that cannot be executed is a failure, not a start.
  std::ofstream(bin + "/xdg-open", std::ios::trunc) << "#!/no/such/interpreter\n";
  EXPECT_FALSE(OpenWithSystem("https://example.org/"));
  fs::remove(bin + "/xdg-open");
  EXPECT_FALSE(OpenWithSystem("https://example.org/"));
  EXPECT_FALSE(fs::exists(record));
}

TEST(FindProgram, SearchesOnlyAbsoluteFoldersOfThePath) {
  const testsupport::ScratchFolder scratch("kalvo5-platform");
  WriteStandIn(scratch.Path(), "tool", "exit 0\n");
  std::ofstream(scratch.Path() + "/plain") << "not executable";
  const ScopedVariable path("PATH", (":relative:" + scratch.Path() + ":/usr/bin").c_str());
  EXPECT_EQ(FindProgram("tool"), scratch.Path() + "/tool");
  EXPECT_EQ(FindProgram("plain"), "");
  EXPECT_EQ(FindProgram("bin/tool"), "");
  EXPECT_EQ(FindProgram(""), "");
  const std::string cwd = fs::current_path();
  fs::current_path(scratch.Path());
  const ScopedVariable relativeOnly("PATH", ".");
  EXPECT_EQ(FindProgram("tool"), "");
  fs::current_path(cwd);
}

}  // namespace
}  // namespace platform::test
