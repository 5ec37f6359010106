// Preset files move between the Linux and the Windows build unchanged: a
// preset with a German and Chinese name is written as the bytes the Linux
// build wrote (data/Portable.vrs, its version a placeholder), a file of those bytes lists and loads with
// its name, and written again gives the same bytes. The same test runs in
// both builds (on Windows under Wine, through UTF-16 paths).
#include <gtest/gtest.h>

#include <string>

#include "PresetTestSupport.h"
#include "plugin/PresetFolderScan.h"
#include "plugin/XMLParamBinding.h"
#include "support/RunTimePaths.h"

namespace kalvo5::test {
namespace {

const std::string kName =
    "Mischpult \xC3\x9C"
    "bung \xE9\x9F\xB3\xE9\x87\x8F";  // "Mischpult Übung 音量"

// UTF-8 text to a path and back, on both systems.
fs::path PathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }
std::string Utf8Of(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

void ApplyPortableSettings(Kalvo5& plugin) {
  plugin.GetParam(kType)->SetValue(kTypeDIAL);
  plugin.GetParam(kDIALRefLevel)->SetValue(-27.0);
  plugin.GetParam(kRMSWindow)->SetValue(300.0);
  plugin.GetParam(kGUIScale)->SetValue(1.25);
}

using PortablePreset = PresetTest;

TEST_F(PortablePreset, SavesTheLinuxBytesListsLoadsAndSavesThemAgain) {
  // The file names the version that wrote it.
  std::string stored =
      ReadFile(testsupport::RunTimePath("KALVO5_TEST_DATA", KALVO5_TEST_DATA) / "Portable.vrs");
  const std::size_t version = stored.find("vVERSION");
  ASSERT_NE(version, std::string::npos);
  stored.replace(version, 8, std::string("v") + KALVO5_VERSION_TEXT);
  ASSERT_FALSE(stored.empty());
  const fs::path folder = home / PathOf(kName);
  fs::create_directories(folder);
  const std::string path = Utf8Of(folder / PathOf(kName + ".vrs"));

  ApplyPortableSettings(*plugin);
  ASSERT_TRUE(plugin->PresetFiles().SavePresetXML(*plugin, path, kName.c_str()));
  EXPECT_EQ(ReadFile(PathOf(path)), stored);

  const std::atomic<bool> cancel{false};
  const std::vector<UserPresetFile> listed =
      ListUserPresetFiles(Utf8Of(folder), PluginIdentity(*plugin), cancel);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].name, kName);

  auto other = MakePlugin();
  std::string loaded;
  ASSERT_TRUE(other->PresetFiles().LoadPresetXML(*other, listed[0].path, loaded, PresetLoadMode::Normal));
  EXPECT_EQ(loaded, kName);
  EXPECT_EQ(other->GetParam(kType)->GetValue(), kTypeDIAL);
  const std::string again = Utf8Of(folder / "again.vrs");
  ASSERT_TRUE(other->PresetFiles().SavePresetXML(*other, again, loaded.c_str()));
  EXPECT_EQ(ReadFile(PathOf(again)), stored);
}

}  // namespace
}  // namespace kalvo5::test
