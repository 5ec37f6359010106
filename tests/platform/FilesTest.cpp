#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "PlatformTestSupport.h"
#include "platform/DataFolders.h"
#include "platform/FileIO.h"
#include "platform/FolderListing.h"
#include "platform/Paths.h"
#include "support/ScratchFolder.h"

namespace platform::test {
namespace {

namespace fs = std::filesystem;

TEST(Paths, JoinWithSlashAndSplitOnBothSeparators) {
  EXPECT_EQ(JoinPath("/a/", "b"), "/a/b");
  EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
  EXPECT_EQ(JoinPath("", "b"), "b");
  EXPECT_EQ(FileNameOf("/a/b.vrs"), "b.vrs");
  EXPECT_EQ(FileNameOf("C:\\Presets\\b.vrs"), "b.vrs");
  EXPECT_EQ(FileNameOf("/a\\b/c"), "c");
  EXPECT_EQ(FileNameOf("plain"), "plain");
  EXPECT_EQ(FolderOf("/a/b\\c.vrs"), "/a/b");
  EXPECT_EQ(FolderOf("/c.vrs"), "/");
  EXPECT_EQ(FolderOf("c.vrs"), "");
}

TEST(DataFolders, BaseComesFromXdgThenHomeAndMissingLevelsAreCreated) {
  const testsupport::ScratchFolder scratch("kalvo5-platform");
  const std::string xdg = scratch.Path() + "/x/y";
  {
    const ScopedVariable variable("XDG_DATA_HOME", xdg.c_str());
    EXPECT_EQ(LocalAppDataFolder(), xdg);
  }
  const ScopedVariable relative("XDG_DATA_HOME", "relative/path");
  {
    const ScopedVariable home("HOME", scratch.Path().c_str());
    EXPECT_EQ(LocalAppDataFolder(), scratch.Path() + "/.local/share");
  }
  {
    // Without HOME the password database tells the home folder.
    const ScopedVariable home("HOME", nullptr);
    const std::string base = LocalAppDataFolder();
    EXPECT_TRUE(base.empty() || (base[0] == '/' && base.ends_with("/.local/share"))) << base;
  }

  // Levels are made only inside an existing folder.
  EXPECT_FALSE(EnsureFolderChainInside(scratch.Path() + "/none", scratch.Path() + "/none/x/y"));
  EXPECT_FALSE(IsFolder(scratch.Path() + "/none"));
  EXPECT_FALSE(EnsureFolderChainInside(scratch.Path() + "/x/y", scratch.Path() + "/x"));
  EXPECT_TRUE(EnsureFolderChainInside(scratch.Path() + "/", xdg));
  EXPECT_TRUE(IsFolder(xdg));
  struct stat status {};
  ASSERT_EQ(stat(xdg.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0700u);

  std::ofstream(scratch.Path() + "/file") << "not a folder";
  EXPECT_FALSE(EnsureFolder(scratch.Path() + "/file"));
  EXPECT_FALSE(EnsureFolder(scratch.Path() + "/missing/level"));  // one level only
  EXPECT_TRUE(EnsureFolder(scratch.Path() + "/new"));
  EXPECT_TRUE(EnsureFolder(scratch.Path() + "/new"));
  EXPECT_FALSE(EnsureFolder(""));
}

TEST(FileIO, OnlyRegularFilesWithinTheLimitAreRead) {
  const testsupport::ScratchFolder scratch("kalvo5-platform");
  const std::string fifo = scratch.Path() + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::ofstream(scratch.Path() + "/ten") << "0123456789";
  std::ofstream(scratch.Path() + "/empty");

  std::string bytes = "stale";
  EXPECT_FALSE(ReadWholeFile(fifo, bytes, 100));  // returns without a writer
  EXPECT_TRUE(bytes.empty());
  EXPECT_FALSE(ReadWholeFile(scratch.Path(), bytes, 100));
  EXPECT_FALSE(ReadWholeFile(scratch.Path() + "/empty", bytes, 100));
  EXPECT_FALSE(ReadWholeFile(scratch.Path() + "/missing", bytes, 100));
  EXPECT_FALSE(ReadWholeFile(scratch.Path() + "/ten", bytes, 9));
  ASSERT_TRUE(ReadWholeFile(scratch.Path() + "/ten", bytes, 10));
  EXPECT_EQ(bytes, "0123456789");
  bool whole = true;
  ASSERT_TRUE(ReadFileStart(scratch.Path() + "/ten", bytes, 4, whole));
  EXPECT_EQ(bytes, "0123");
  EXPECT_FALSE(whole);
  ASSERT_TRUE(ReadFileStart(scratch.Path() + "/ten", bytes, 10, whole));
  EXPECT_TRUE(whole);
  EXPECT_FALSE(ReadFileStart(fifo, bytes, 4, whole));

  ASSERT_TRUE(WriteFileReplacing(scratch.Path() + "/ten", "new\r\n"));
  ASSERT_TRUE(ReadWholeFile(scratch.Path() + "/ten", bytes, 10));
  EXPECT_EQ(bytes, "new\r\n");  // bytes as written: line ends are the caller's business
}

TEST(FolderListing, NamesComeSortedAndAMissingFolderListsNothing) {
  const testsupport::ScratchFolder scratch("kalvo5-platform");
  for (const char* name : {"c.vrs", "a.vrs", "b"}) std::ofstream(scratch.Path() + "/" + name) << "x";
  fs::create_directory(scratch.Path() + "/d");
  std::vector<std::string> names = SortedFolderEntries(scratch.Path());
  std::erase_if(names, [](const std::string& name) { return name == "." || name == ".."; });
  EXPECT_EQ(names, (std::vector<std::string>{"a.vrs", "b", "c.vrs", "d"}));
  EXPECT_TRUE(SortedFolderEntries(scratch.Path() + "/missing").empty());
  fs::create_symlink(scratch.Path() + "/b", scratch.Path() + "/link");
  fs::create_symlink(scratch.Path() + "/d", scratch.Path() + "/folder link");
  EXPECT_EQ(SortedRegularFiles(scratch.Path()), (std::vector<std::string>{"a.vrs", "b", "c.vrs", "link"}));
  EXPECT_TRUE(IsRegularFile(scratch.Path() + "/b"));
  EXPECT_FALSE(IsRegularFile(scratch.Path() + "/d"));
}

}  // namespace
}  // namespace platform::test
