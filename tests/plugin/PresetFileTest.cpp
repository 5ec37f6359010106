#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "PresetTestSupport.h"
#include "plugin/PresetStore.h"
#include "version/Version.h"

namespace kalvo5::test {
namespace {

using PresetFile = PresetTest;

// The parameters' values, to compare before and after.
std::vector<double> Snapshot(const Kalvo5& plugin) {
  std::vector<double> values;
  for (int i = 0; i < kNumParams; ++i) values.push_back(plugin.GetParam(i)->GetValue());
  return values;
}

std::string StateText(Kalvo5& plugin) {
  iplug::ByteChunk chunk;
  plugin.WriteState(chunk);
  std::int32_t length = 0;
  chunk.GetInt32(length, 28);
  return std::string(reinterpret_cast<const char*>(chunk.Data()) + 32, static_cast<std::size_t>(length));
}

TEST_F(PresetFile, PrintedFormIsTinyXMLsWithFourBlanksPerLevel) {
  const fs::path path = home / "printed.vrs";
  ASSERT_TRUE(plugin->PresetFiles().SavePresetXML(*plugin, path, "LUFS EBU R128"));
  const std::string text = ReadFile(path);
  const std::vector<std::string> lines = SplitLines(text);
  ASSERT_EQ(lines.size(), 7u + kNumParams + 3u);
  EXPECT_EQ(lines[0], "<?xml version=\"1.0\" ?>");
  EXPECT_EQ(lines[1], "<PresetXMLTree version=\"1\">");
  EXPECT_EQ(lines[2], "    <PluginVendor>Vantorel</PluginVendor>");
  EXPECT_EQ(lines[3], "    <PluginName>Kalvo5</PluginName>");
  EXPECT_EQ(lines[4], std::string("    <PluginVersion>v") + kVersionText + "</PluginVersion>");
  EXPECT_EQ(lines[5], "    <Preset name=\"LUFS EBU R128\">");
  EXPECT_EQ(lines[6], "        <Parameter>");
  EXPECT_EQ(lines[7], "            <Param name=\"GUI Scale\" val=\"1.000000\" />");
  EXPECT_EQ(lines[8], "            <Param name=\"Toggle Tooltips\" val=\"1.000000\" />");
  EXPECT_EQ(lines[9], "            <Param name=\"Type\" val=\"0.000000\" />");
  EXPECT_EQ(lines[7 + kRMSRefLevel], "            <Param name=\"RMS RefLevel\" val=\"-18.000000\" />");
  EXPECT_EQ(lines[7 + kRMSWindow], "            <Param name=\"RMS Window\" val=\"600.000000\" />");
  EXPECT_EQ(lines[7 + kRMSWFilterMode],
            "            <Param name=\"RMS Weighting Filer Mode\" val=\"0.000000\" />");
  EXPECT_EQ(lines[6 + kNumParams],
            "            <Param name=\"No link output to chan conf\" val=\"0.000000\" />");
  EXPECT_EQ(lines[7 + kNumParams], "        </Parameter>");
  EXPECT_EQ(lines[8 + kNumParams], "    </Preset>");
  EXPECT_EQ(lines[9 + kNumParams], "</PresetXMLTree>");
  EXPECT_EQ(text.back(), '\n');
  // A file holds the same text as a state named like it.
  iplug::CopyText(plugin->GetPreset(0)->name, "LUFS EBU R128");
  EXPECT_EQ(StateText(*plugin), text);
}

TEST_F(PresetFile, SavedFileLoadsBackWithItsValuesAndName) {
  const std::string name = "Mischung \xC3\xBC \xE6\x97\xA5\xE6\x9C\xAC & \"Final\"";
  plugin->GetParam(kType)->SetValue(kTypeDIAL);
  plugin->GetParam(kDIALRefLevel)->SetValue(-27.0);
  plugin->GetParam(kGUIScale)->SetValue(1.25);
  plugin->GetParam(kOutEBUIL)->SetValue(-23.4);
  const fs::path path = home / "Mix.vrs";
  ASSERT_TRUE(plugin->PresetFiles().SavePresetXML(*plugin, path, name.c_str()));
  const std::vector<double> saved = Snapshot(*plugin);

  auto other = MakePlugin();
  std::string loaded;
  ASSERT_TRUE(other->PresetFiles().LoadPresetXML(*other, path, loaded, PresetLoadMode::Normal));
  EXPECT_EQ(loaded, name);
  EXPECT_EQ(std::string(other->GetPreset(0)->name), name);
  EXPECT_EQ(Snapshot(*other), saved);
  // A normal load runs the reactions.
  EXPECT_EQ(other->Settings().GetInt(kType), kTypeDIAL);
  EXPECT_EQ(other->Settings().Get(kDIALRefLevel), -27.0);
}

TEST_F(PresetFile, NamesAreWrittenAsValidUtf8SoThatAStrayLastByteKeepsThePreset) {
  // A byte of 0x80 or above right before the closing quote used to take the
  // quote with it when read back.
  const char* stray = "Caf\xE9";
  const std::string written = "Caf\xEF\xBF\xBD";  // U+FFFD in its place
  plugin->GetParam(kRMSGain)->SetValue(4.0);
  ASSERT_TRUE(plugin->PresetFiles().SavePresetXML(*plugin, home / "stray.vrs", stray));
  auto other = MakePlugin();
  std::string loaded;
  ASSERT_TRUE(other->PresetFiles().LoadPresetXML(*other, home / "stray.vrs", loaded, PresetLoadMode::Normal));
  EXPECT_EQ(loaded, written);
  EXPECT_EQ(other->GetParam(kRMSGain)->GetValue(), 4.0);

  // The state text keeps the name in memory form, made valid the same way.
  iplug::CopyText(plugin->GetPreset(0)->name, "Mix \xC3\xBC\xC3");
  iplug::ByteChunk state;
  ASSERT_TRUE(plugin->WriteState(state));
  ASSERT_GT(other->ReadState(state, 0), 0);
  EXPECT_STREQ(other->GetPreset(0)->name, "Mix \xC3\xBC\xEF\xBF\xBD");
  EXPECT_EQ(other->GetParam(kRMSGain)->GetValue(), 4.0);
}

TEST_F(PresetFile, LoadModesDifferInWhatTheyTouch) {
  const fs::path path = home / "Type only.vrs";
  WriteFile(path, Document(Param("Type", "2") + Param("GUI Scale", "2"), "Only type"));
  plugin->GetParam(kRMSGain)->SetValue(5.0);     // named: back to its default
  plugin->GetParam(kTruePeak)->SetValue(0.0);    // not named, not listed: kept
  plugin->GetParam(kOutRMSIL)->SetValue(-20.0);  // likewise
  const std::vector<double> before = Snapshot(*plugin);

  std::string name;
  ASSERT_TRUE(plugin->PresetFiles().LoadPresetXML(*plugin, path, name, PresetLoadMode::HeaderOnly));
  EXPECT_EQ(name, "Only type");
  EXPECT_EQ(Snapshot(*plugin), before);
  EXPECT_STREQ(plugin->GetPreset(0)->name, "Init");

  ASSERT_TRUE(plugin->PresetFiles().LoadPresetXML(*plugin, path, name, PresetLoadMode::Direct));
  EXPECT_EQ(Value(kType), 2.0);
  EXPECT_EQ(Value(kGUIScale), 2.0);
  EXPECT_EQ(Value(kRMSGain), 0.0);
  EXPECT_EQ(Value(kTruePeak), 0.0);
  EXPECT_EQ(Value(kOutRMSIL), -20.0);
  EXPECT_STREQ(plugin->GetPreset(0)->name, "Only type");
  // Direct runs no reaction; the slot holds the loaded state.
  EXPECT_EQ(plugin->Settings().GetInt(kType), kTypeRMS);
  auto other = MakePlugin();
  other->ReadState(plugin->GetPreset(0)->chunk, 0);
  EXPECT_EQ(Snapshot(*other), Snapshot(*plugin));
}

TEST_F(PresetFile, UnusableFilesChangeNothing) {
  const fs::path folder = home / "a folder.vrs";
  fs::create_directory(folder);
  const fs::path fifo = home / "pipe.vrs";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const fs::path big = home / "big.vrs";
  WriteFile(big, Document(Param("Type", "2")) + std::string(5 << 20, ' '));
  const std::pair<std::string, std::string> files[] = {
      {"empty.vrs", ""},
      {"foreign.vrs", Document(Param("Type", "2"), "X", "Vantorel ")},
      {"broken.vrs", Document(Param("Type", "2")).substr(0, 200)},
      {"nolist.vrs", Document("")},
      {"comment.vrs", "<!-- nothing -->"},
      {"binary.vrs", std::string("\x00\xFF\xFE<\x01", 5)},
  };
  std::vector<fs::path> paths = {home / "missing.vrs", folder, fifo, big};
  for (const auto& [file, text] : files) {
    WriteFile(home / file, text);
    paths.push_back(home / file);
  }

  plugin->GetParam(kRMSGain)->SetValue(5.0);
  const std::vector<double> before = Snapshot(*plugin);
  for (const fs::path& path : paths) {
    for (const PresetLoadMode mode :
         {PresetLoadMode::Normal, PresetLoadMode::Direct, PresetLoadMode::HeaderOnly}) {
      std::string name = "untouched";
      EXPECT_FALSE(plugin->PresetFiles().LoadPresetXML(*plugin, path, name, mode)) << path;
      EXPECT_EQ(Snapshot(*plugin), before) << path;
    }
    std::vector<double> values(kNumParams, kNotGivenMarker);
    std::string name;
    EXPECT_FALSE(plugin->PresetFiles().LoadPresetXML2ParamArray(*plugin, path, values, name)) << path;
  }
  EXPECT_STREQ(plugin->GetPreset(0)->name, "Init");
}

TEST_F(PresetFile, ANonParamChildStopsTheLoadAndReportsFailure) {
  const fs::path path = home / "stops.vrs";
  WriteFile(path, Document(Param("RMS Gain", "5") + "<Note />\n" + Param("EBU Gain", "7")));
  plugin->GetParam(kEBUGain)->SetValue(3.0);
  std::string name;
  EXPECT_FALSE(plugin->PresetFiles().LoadPresetXML(*plugin, path, name, PresetLoadMode::Normal));
  EXPECT_EQ(Value(kRMSGain), 5.0);
  EXPECT_EQ(Value(kEBUGain), 0.0);  // reset with the named parameters, never reached
  EXPECT_EQ(plugin->Settings().Get(kRMSGain), 5.0);
  EXPECT_EQ(plugin->Settings().Get(kEBUGain), 0.0);
  EXPECT_STREQ(plugin->GetPreset(0)->name, "Init");
}

TEST_F(PresetFile, ReadingIntoAnArrayLeavesTheParametersAlone) {
  const fs::path path = home / "array.vrs";
  WriteFile(path, Document(Param("Type", "2") + Param("GUI Scale", "1.5") + Param("RMS Gain", "99"), "Arr"));
  const std::vector<double> before = Snapshot(*plugin);
  std::vector<double> values(kNumParams, kNotGivenMarker);
  std::string name;
  ASSERT_TRUE(plugin->PresetFiles().LoadPresetXML2ParamArray(*plugin, path, values, name));
  EXPECT_EQ(name, "Arr");
  EXPECT_EQ(values[kType], 2.0);
  EXPECT_EQ(values[kGUIScale], 1.5);
  EXPECT_EQ(values[kRMSGain], 99.0);  // constrained only when applied
  EXPECT_EQ(values[kEBURefLevel], -23.0);
  EXPECT_EQ(values[kTruePeak], kNotGivenMarker);
  EXPECT_EQ(Snapshot(*plugin), before);
}

TEST_F(PresetFile, AFailedSaveLeavesTheOldFileAndNoLeftovers) {
  const fs::path path = home / "kept.vrs";
  WriteFile(path, "old contents");
  {
    FullDisk full;
    EXPECT_FALSE(plugin->PresetFiles().SavePresetXML(*plugin, path, "New"));
  }
  EXPECT_EQ(ReadFile(path), "old contents");
  EXPECT_FALSE(plugin->PresetFiles().SavePresetXML(*plugin, home / "no such folder" / "x.vrs", "New"));
  fs::create_directory(home / "in the way.vrs");
  EXPECT_FALSE(plugin->PresetFiles().SavePresetXML(*plugin, home / "in the way.vrs", "New"));
  EXPECT_TRUE(fs::is_directory(home / "in the way.vrs"));
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(home)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Kalvo5", "in the way.vrs", "kept.vrs"}));

  EXPECT_TRUE(plugin->PresetFiles().SavePresetXML(*plugin, path, "New"));
  EXPECT_NE(ReadFile(path).find("<Preset name=\"New\">"), std::string::npos);
}

TEST_F(PresetFile, LineEndsOfEditedFilesDoNotMatter) {
  std::string text = Document(Param("RMS Gain", "4"), "CRLF");
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
    text.replace(at, 1, "\r\n");
  WriteFile(home / "crlf.vrs", text);
  std::string name;
  ASSERT_TRUE(plugin->PresetFiles().LoadPresetXML(*plugin, home / "crlf.vrs", name, PresetLoadMode::Normal));
  EXPECT_EQ(Value(kRMSGain), 4.0);
  EXPECT_EQ(name, "CRLF");
}

}  // namespace
}  // namespace kalvo5::test
