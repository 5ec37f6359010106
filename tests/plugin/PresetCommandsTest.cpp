#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PresetTestSupport.h"
#include "plugin/PresetCommands.h"
#include "plugin/PresetFolderScan.h"

namespace kalvo5::test {
namespace {

using PresetCommands = PresetTest;

TEST_F(PresetCommands, ExportWritesTheDefaultsAsPresetSourceLinesWithoutAnEditor) {
  plugin->Command(kCmdExportPresetText);
  const std::string expected =
      "mmax_presets++;\n"
      "MakePresetFromNamedParams(\"xxx\",\n"
      "\t\t\t\t\t\t\t17,\n"
      "\t\t\t\t\t\t\tkType,\t\t\t\t0,\n"
      "\t\t\t\t\t\t\tkRMSChannelConfig,\t\t\t\t0,\n"
      "\t\t\t\t\t\t\tkRMSGain,\t\t\t\t0.0,\n"
      "\t\t\t\t\t\t\tkRMSRefLevel,\t\t\t\t-18.0,\n"
      "\t\t\t\t\t\t\tkRMSMode,\t\t\t\t0,\n"
      "\t\t\t\t\t\t\tkRMSWindow,\t\t\t\t600.0,\n"
      "\t\t\t\t\t\t\tkRMSDelta,\t\t\t\t0,\n"
      "\t\t\t\t\t\t\tkRMSWFilterMode,\t\t\t\t0,\n"
      "\t\t\t\t\t\t\tkEBUChannelConfig,\t\t\t\t1,\n"
      "\t\t\t\t\t\t\tkEBUGain,\t\t\t\t0.0,\n"
      "\t\t\t\t\t\t\tkEBURefLevel,\t\t\t\t-23.0,\n"
      "\t\t\t\t\t\t\tkEBUDelta,\t\t\t\t0,\n"
      "\t\t\t\t\t\t\tkDIALChannelConfig,\t\t\t\t1,\n"
      "\t\t\t\t\t\t\tkDIALGain,\t\t\t\t0.0,\n"
      "\t\t\t\t\t\t\tkDIALRefLevel,\t\t\t\t-24.0,\n"
      "\t\t\t\t\t\t\tkDIALDelta,\t\t\t\t0,\n"
      "\t\t\t\t\t\t\tkDIALWindow,\t\t\t\t10000.0\n"
      "\t\t\t\t\t\t\t);";
  EXPECT_EQ(ReadFile(DataFolder() / "preset.txt"), expected);

  plugin->GetParam(kRMSRefLevel)->SetValue(-18.04);
  plugin->GetParam(kType)->SetValue(kTypeDIAL);
  plugin->GetParam(kRMSGain)->SetValue(-0.04);
  plugin->Command(kCmdExportPresetText);
  const std::vector<std::string> lines = SplitLines(ReadFile(DataFolder() / "preset.txt"));
  ASSERT_EQ(lines.size(), 21u);
  EXPECT_EQ(lines[3], "\t\t\t\t\t\t\tkType,\t\t\t\t2,");
  EXPECT_EQ(lines[5], "\t\t\t\t\t\t\tkRMSGain,\t\t\t\t-0.0,");
  EXPECT_EQ(lines[6], "\t\t\t\t\t\t\tkRMSRefLevel,\t\t\t\t-18.0,");
}

TEST_F(PresetCommands, SavedDefaultIsLoadedByTheNextInstance) {
  plugin->GetParam(kEBURefLevel)->SetValue(-16.0);
  plugin->GetParam(kGUIScale)->SetValue(1.5);
  plugin->Command(kCmdSaveDefault);  // needs an editor
  EXPECT_FALSE(fs::exists(PresetFolder() / "default.vrs"));
  plugin->editorExists = true;
  plugin->Command(kCmdSaveDefault);
  EXPECT_NE(ReadFile(PresetFolder() / "default.vrs").find("<Preset name=\"Init\">"), std::string::npos);

  auto next = MakePlugin();
  EXPECT_EQ(next->GetParam(kEBURefLevel)->GetValue(), -16.0);
  EXPECT_EQ(next->GetParam(kGUIScale)->GetValue(), 1.5);
  EXPECT_EQ(next->Settings().Get(kGUIScale), 1.5);
  EXPECT_STREQ(next->GetPreset(0)->name, "Init");
  // The slot holds the loaded settings, so restoring it keeps them.
  next->LoadPreset(0);
  EXPECT_EQ(next->GetParam(kEBURefLevel)->GetValue(), -16.0);

  fs::remove(PresetFolder() / "default.vrs");
  EXPECT_EQ(MakePlugin()->GetParam(kEBURefLevel)->GetValue(), -23.0);
}

TEST_F(PresetCommands, SaveAndLoadUseThePresetMenusPath) {
  const fs::path path = home / "Mix.Final.vrs";
  plugin->editorExists = true;
  plugin->GetParam(kDIALRefLevel)->SetValue(-27.0);
  plugin->Command(kCmdSavePreset, path);
  EXPECT_NE(ReadFile(path).find("<Preset name=\"Mix.Final\">"), std::string::npos);

  auto other = MakePlugin();
  other->Command(kCmdLoadPreset, path);  // no editor: nothing
  EXPECT_EQ(other->GetParam(kDIALRefLevel)->GetValue(), -24.0);
  other->editorExists = true;
  other->Command(kCmdLoadPreset);  // no path: nothing
  EXPECT_STREQ(other->GetPreset(0)->name, "Init");
  other->Command(kCmdLoadPreset, path);
  EXPECT_EQ(other->GetParam(kDIALRefLevel)->GetValue(), -27.0);
  EXPECT_EQ(other->Settings().Get(kDIALRefLevel), -27.0);
  EXPECT_STREQ(other->GetPreset(0)->name, "Mix.Final");
}

TEST_F(PresetCommands, AFailedSaveTellsWhyAndKeepsTheOldFile) {
  const fs::path path = home / "Kept.vrs";
  WriteFile(path, "old contents");
  plugin->editorExists = true;
  plugin->ShowEditor(true);
  {
    FullDisk full;
    plugin->Command(kCmdSavePreset, path);
  }
  plugin->Tick();  // message boxes show on the next idle
  ASSERT_EQ(plugin->boxes.size(), 1u);
  EXPECT_EQ(plugin->boxes[0].caption, "Save preset");
  EXPECT_EQ(plugin->boxes[0].text, "The preset could not be saved to\n" + path.string() + "\nFile too large");
  EXPECT_EQ(ReadFile(path), "old contents");

  fs::remove_all(PresetFolder());
  plugin->Command(kCmdSaveDefault);
  plugin->Tick();
  ASSERT_EQ(plugin->boxes.size(), 2u);
  EXPECT_EQ(plugin->boxes[1].text, "The preset could not be saved to\n" +
                                       (PresetFolder() / "default.vrs").string() +
                                       "\nNo such file or directory");
}

TEST_F(PresetCommands, SavedNameIsTheFileNameWithoutFolderAndExtension) {
  EXPECT_EQ(PresetNameFromPath("/home/u/Mix.Final.vrs"), "Mix.Final");
  EXPECT_EQ(PresetNameFromPath("C:\\Presets\\Broadcast.vrs"), "Broadcast");
  EXPECT_EQ(PresetNameFromPath("a/b\\c.d/e"), "e");
  EXPECT_EQ(PresetNameFromPath("noextension"), "noextension");
  EXPECT_EQ(PresetNameFromPath("/x/.vrs"), ".vrs");
  EXPECT_EQ(PresetNameFromPath("/x/"), "");
  EXPECT_EQ(PresetNameFromPath(std::string(300, 'n') + ".vrs"), std::string(259, 'n'));
}

TEST_F(PresetCommands, RescanListsPresetFilesInSortedOrderAndReadsOneWhenApplied) {
  const std::string typeOnly = Param("Type", "2");
  WriteFile(DataFolder() / "c.vrs.old", Document(typeOnly, "Third"));
  WriteFile(DataFolder() / "a.vrs",
            Document(Param("EBU RefLevel", "-16") + Param("GUI Scale", "2"), "First"));
  WriteFile(DataFolder() / "b.txt", Document(typeOnly, "Text"));
  WriteFile(DataFolder() / "B.VRS", Document(typeOnly, "Upper case"));
  WriteFile(DataFolder() / "foreign.vrs", Document(typeOnly, "Foreign", "Other"));
  WriteFile(DataFolder() / "stops.vrs", Document(typeOnly + "<X/>", "Stops"));
  fs::create_directory(DataFolder() / "folder.vrs");

  RescanAndWait(*plugin);  // needs an editor
  EXPECT_EQ(plugin->Presets().NUser(), 0);
  plugin->editorExists = true;
  RescanAndWait(*plugin);
  PresetStore& store = plugin->Presets();
  // Listing reads only the start of each file: what follows the first
  // "Param" is checked when the preset is applied.
  ASSERT_EQ(store.NUser(), 3);
  EXPECT_STREQ(store.User(0)->name, "First");
  EXPECT_STREQ(store.User(1)->name, "Third");
  EXPECT_STREQ(store.User(2)->name, "Stops");
  EXPECT_EQ(store.User(0)->tag, -1);
  EXPECT_FALSE(CompleteUserPreset(*plugin, plugin->PresetFiles(), plugin->StateDocument(), store, 2));

  // An entry holds every value: the file's and defaults for the rest.
  plugin->GetParam(kRMSGain)->SetValue(5.0);
  ASSERT_TRUE(CompleteUserPreset(*plugin, plugin->PresetFiles(), plugin->StateDocument(), store, 0));
  plugin->CopyPresetInto(*store.User(0), 0);
  plugin->LoadPreset(0);
  EXPECT_EQ(Value(kEBURefLevel), -16.0);
  EXPECT_EQ(Value(kGUIScale), 2.0);
  EXPECT_EQ(Value(kRMSGain), 0.0);

  // A changed folder is read again.
  fs::remove(DataFolder() / "a.vrs");
  RescanAndWait(*plugin);
  ASSERT_EQ(store.NUser(), 2);
  EXPECT_STREQ(store.User(0)->name, "Third");
}

TEST_F(PresetCommands, PresetFileNamesNeedVrsAfterADot) {
  for (const char* name : {"a.vrs", "a.vrs.bak", "c.vrs.old", ".vrs", "x.y.vrs"})
    EXPECT_TRUE(IsPresetFileName(name)) << name;
  for (const char* name : {"b.txt", "a.VRS", "a.vr", "avrs", "vrs", "a.TPS", "a.v.r.s"})
    EXPECT_FALSE(IsPresetFileName(name)) << name;
}

}  // namespace
}  // namespace kalvo5::test
