// The Windows side of the platform layer, through the system itself: paths
// are UTF-16 at the system and UTF-8 inside, so a preset named in German and
// Chinese saves, lists and loads; the data folder is the shell's local
// application data folder.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h: the shell's headers need its types.
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "platform/DataFolders.h"
#include "platform/FileDialog.h"
#include "platform/FileIO.h"
#include "platform/FolderListing.h"
#include "platform/Paths.h"
#include "platform/TextEncoding.h"
#include "support/ScratchFolder.h"

namespace {

const std::string kName =
    "Mischpult \xC3\x9C"
    "bung \xE9\x9F\xB3\xE9\x87\x8F";  // "Mischpult Übung 音量"

TEST(Win32Text, Utf8AndUtf16RoundTripAndPathsUseTheSystemSeparator) {
  const std::wstring wide = platform::Utf8ToUtf16(kName);
  EXPECT_EQ(wide, L"Mischpult \u00DCbung \u97F3\u91CF");
  EXPECT_EQ(platform::Utf16ToUtf8(wide), kName);
  EXPECT_EQ(platform::Utf8ToSystemPath("C:/a/" + kName), L"C:\\a\\Mischpult \u00DCbung \u97F3\u91CF");
  // Names are stored as UTF-8; a name that is not UTF-8 came from the ANSI
  // code page of an older build.
  EXPECT_EQ(platform::Utf8ToCodePage(kName), kName);
  EXPECT_EQ(platform::CodePageToUtf8(kName), kName);
  wchar_t fromCodePage[4] = {};
  ASSERT_GT(MultiByteToWideChar(CP_ACP, 0, "\xDC", 1, fromCodePage, 4), 0);
  EXPECT_EQ(platform::CodePageToUtf8("\xDC"
                                     "bung"),
            platform::Utf16ToUtf8(std::wstring(fromCodePage) + L"bung"));
}

TEST(Win32Files, AFileWithAUnicodeNameIsWrittenListedReadAndReplaced) {
  const std::string folder = testsupport::ProgramScratchFolder("kalvo5-win32") + "/" + kName;
  ASSERT_TRUE(platform::EnsureFolder(folder));
  EXPECT_TRUE(platform::IsFolder(folder));
  const std::string file = platform::JoinPath(folder, kName + ".vrs");
  ASSERT_TRUE(platform::WriteFileReplacing(file, "first"));
  ASSERT_TRUE(platform::WriteFileReplacing(file, "second, longer"));
  EXPECT_TRUE(platform::IsRegularFile(file));
  EXPECT_FALSE(platform::IsRegularFile(folder));

  std::string bytes;
  ASSERT_TRUE(platform::ReadWholeFile(file, bytes, 1024));
  EXPECT_EQ(bytes, "second, longer");
  EXPECT_FALSE(platform::ReadWholeFile(file, bytes, 4)) << "larger than the limit";
  EXPECT_FALSE(platform::ReadWholeFile(folder, bytes, 1024)) << "a folder is no file";

  // The replaced file left no temporary file beside it.
  std::vector<std::string> names = platform::SortedFolderEntries(folder);
  names.erase(
      std::remove_if(names.begin(), names.end(), [](const std::string& n) { return n == "." || n == ".."; }),
      names.end());
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0], kName + ".vrs");
}

TEST(Win32Folders, TheDataFolderIsTheShellsLocalApplicationDataFolder) {
  PWSTR path = nullptr;
  ASSERT_TRUE(SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &path)));
  const std::string expected = platform::Utf16ToUtf8(path);
  CoTaskMemFree(path);
  EXPECT_EQ(platform::LocalAppDataFolder(), expected);

  // A file where a folder should be is left alone, and no folder appears.
  const std::string blocked = testsupport::ProgramScratchFolder("kalvo5-win32") + "/Kalvo5";
  ASSERT_TRUE(platform::WriteFileReplacing(blocked, "not a folder"));
  EXPECT_FALSE(platform::EnsureFolder(blocked));
  EXPECT_TRUE(platform::IsRegularFile(blocked));
  EXPECT_EQ(platform::EnsureLocalAppDataFolder(), expected);
  const std::string scratch = testsupport::ProgramScratchFolder("kalvo5-win32");
  EXPECT_TRUE(platform::EnsureFolderChainInside(scratch, scratch + "/a\\b/c"));
  EXPECT_TRUE(platform::IsFolder(scratch + "/a/b/c"));
  EXPECT_FALSE(platform::EnsureFolderChainInside(scratch + "/missing", scratch + "/missing/d"));
  EXPECT_FALSE(platform::IsFolder(scratch + "/missing"));
}

TEST(Win32Dialogs, ADialogStillShownClosesWithItsHandle) {
  const auto start = std::chrono::steady_clock::now();
  {
    platform::FileDialog dialog =
        platform::StartFileDialog(platform::FileDialogKind::Open, "C:/", {"vrs"}, "Open");
    const platform::FileDialogResult result = dialog.Poll();
    EXPECT_NE(result.state, platform::FileDialogResult::State::Unavailable);
    EXPECT_NE(result.state, platform::FileDialogResult::State::Chosen);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

}  // namespace
