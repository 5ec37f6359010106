#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "PresetTestSupport.h"
#include "plugin/PresetStore.h"
#include "plugin/XMLParamBinding.h"

namespace kalvo5::test {
namespace {

using FactoryPresets = PresetTest;

// Applies an entry the way a host's preset selection reaches the slot.
void ApplyThroughSlot(Kalvo5& plugin, const iplug::PresetEntry& entry) {
  plugin.CopyPresetInto(entry, 0);
  ASSERT_TRUE(plugin.LoadPreset(0));
}

TEST_F(FactoryPresets, TwentyOneEntriesInTheirCategoriesAndInitInTheSlot) {
  const PresetStore& store = plugin->Presets();
  const std::vector<std::pair<std::string, int>> expected = {
      {"Init", 0},
      {"LUFS EBU R128", 1},
      {"LU EBU R128", 1},
      {"LU -20 (-20LUFS)", 1},
      {"LU -16 (-16LUFS)", 1},
      {"LU -14 (-14LUFS)", 1},
      {"LU -12 (-12LUFS)", 1},
      {"LU -10 (-10LUFS)", 1},
      {"LKFS ITU BS1770-4", 2},
      {"LKFS ATSC A/85", 3},
      {"dB K-20", 4},
      {"dB K-16", 4},
      {"dB K-14", 4},
      {"dB K-12", 4},
      {"dB K-10", 4},
      {"TASA Leq(M)", 5},
      {"LKFS Dialog 10s", 6},
      {"LK Dialog 10s", 6},
      {"LKFS Dialog 3s", 6},
      {"LK Dialog 3s", 6},
      {"Netflix 2020 LKFS", 6},
  };
  ASSERT_EQ(store.NFactory(), 21);
  for (int i = 0; i < store.NFactory(); ++i) {
    const iplug::PresetEntry& entry = *store.Factory(i);
    EXPECT_EQ(entry.name, expected[static_cast<std::size_t>(i)].first);
    EXPECT_EQ(entry.tag, expected[static_cast<std::size_t>(i)].second);
    EXPECT_TRUE(entry.initialized);
  }
  EXPECT_EQ(store.NUser(), 0);
  EXPECT_STREQ(store.Init().name, "Init");
  EXPECT_EQ(store.Init().tag, -1);
  EXPECT_STREQ(plugin->GetPreset(0)->name, "Init");
  EXPECT_TRUE(plugin->GetPreset(0)->initialized);
  EXPECT_EQ(plugin->GetPreset(0)->chunk, store.Init().chunk);
}

TEST_F(FactoryPresets, EachGivesItsListedValuesAndDefaultsElsewhere) {
  // A few rows in full (index, value), the rest checked for defaults.
  const std::vector<std::pair<std::string, std::vector<std::pair<int, double>>>> rows = {
      {"LU EBU R128",
       {{kType, 1},
        {kRMSRefLevel, -18},
        {kRMSWindow, 300},
        {kEBUChannelConfig, 1},
        {kEBURefLevel, -23},
        {kEBUDelta, 1}}},
      {"dB K-14",
       {{kType, 0}, {kRMSRefLevel, -14}, {kRMSWindow, 600}, {kRMSDelta, 1}, {kEBUChannelConfig, 0}}},
      {"TASA Leq(M)",
       {{kRMSRefLevel, -108},
        {kRMSWindow, 3000},
        {kRMSDelta, 1},
        {kRMSWFilterMode, 5},
        {kEBUChannelConfig, 0}}},
      {"LK Dialog 10s", {{kType, 2}, {kDIALChannelConfig, 1}, {kDIALRefLevel, -24}, {kDIALDelta, 1}}},
      {"Netflix 2020 LKFS", {{kType, 2}, {kDIALRefLevel, -27}, {kDIALWindow, 3000}, {kDIALDelta, 0}}},
  };
  const PresetStore& store = plugin->Presets();
  for (int f = 0; f < store.NFactory(); ++f) {
    for (int i = 0; i < kNumParams; ++i) plugin->GetParam(i)->SetValue(plugin->GetParam(i)->GetMax());
    plugin->GetParam(kReset)->SetValue(0.0);
    for (int i = kMatchRMSI; i <= kMatchDIALTPMax; ++i) plugin->GetParam(i)->SetValue(0.0);
    ApplyThroughSlot(*plugin, *store.Factory(f));
    EXPECT_STREQ(plugin->GetPreset(0)->name, store.Factory(f)->name);

    std::vector<std::pair<int, double>> listed;
    for (const auto& [name, values] : rows)
      if (name == store.Factory(f)->name) listed = values;
    for (int i = 0; i < kNumParams; ++i) {
      const iplug::IParam* param = plugin->GetParam(i);
      double expected = param->GetDefault();
      for (const auto& [index, value] : listed)
        if (index == i) expected = value;
      // Only the named measurement settings may differ from the defaults.
      if (listed.empty() && ListsParam(NamedParamTable, i)) continue;
      EXPECT_EQ(param->GetValue(), expected) << store.Factory(f)->name << ": " << param->GetName();
    }
  }
}

TEST_F(FactoryPresets, TheHostsSelectionResetsTheEditorScaleButTheMenuDoesNot) {
  plugin->EditorSets(kGUIScale, 1.5);
  plugin->GetParam(kTruePeak)->SetValue(0.0);
  plugin->TakeRequest(IdleRequest::EditorResize);
  ApplyStoredPreset(*plugin, plugin->Presets(), *plugin->Presets().Factory(2));
  EXPECT_EQ(Value(kGUIScale), 1.5);
  EXPECT_EQ(Value(kTruePeak), 0.0);
  EXPECT_EQ(Value(kEBUDelta), 1.0);
  EXPECT_EQ(Value(kRMSWindow), 300.0);
  EXPECT_EQ(Value(kDIALWindow), 10000.0);
  EXPECT_FALSE(plugin->TakeRequest(IdleRequest::EditorResize));
  EXPECT_FALSE(plugin->Presets().mMenuRecall);
  EXPECT_STREQ(plugin->GetPreset(0)->name, "LU EBU R128");

  ApplyThroughSlot(*plugin, *plugin->Presets().Factory(2));
  EXPECT_EQ(Value(kGUIScale), 1.0);
  EXPECT_EQ(Value(kTruePeak), 1.0);
  EXPECT_EQ(plugin->Settings().Get(kGUIScale), 1.0);
  EXPECT_TRUE(plugin->TakeRequest(IdleRequest::EditorResize));

  // "Reset to default": the Init entry through the slot.
  plugin->EditorSets(kGUIScale, 2.0);
  ApplyThroughSlot(*plugin, plugin->Presets().Init());
  for (int i = 0; i < kNumParams; ++i) EXPECT_EQ(Value(i), plugin->GetParam(i)->GetDefault()) << i;
}

TEST_F(FactoryPresets, ThePresetMenuTellsTheHostEveryValueItChangedAndNoOther) {
  // The host's copy: what it started from and every value sent to it since.
  plugin->HostSets(kType, 1.0);
  plugin->HostSets(kRMSRefLevel, -17.0);
  std::vector<double> host(kNumParams);
  for (int i = 0; i < kNumParams; ++i)
    host[static_cast<std::size_t>(i)] = plugin->GetParam(i)->GetNormalizedValue();
  const std::vector<double> before = host;
  plugin->calls.clear();

  const PresetStore& store = plugin->Presets();
  int k20 = 0;
  while (k20 < store.NFactory() && std::string(store.Factory(k20)->name) != "dB K-20") ++k20;
  ASSERT_LT(k20, store.NFactory());
  ApplyStoredPreset(*plugin, plugin->Presets(), *store.Factory(k20));
  ASSERT_EQ(Value(kType), 0.0);
  std::vector<int> told;
  for (const HostNote& call : plugin->calls) {
    if (call.kind != HostNote::Automate) continue;
    host[static_cast<std::size_t>(call.index)] = call.value;
    told.push_back(call.index);
  }
  for (int i = 0; i < kNumParams; ++i) {
    if (IsOutputParam(i)) continue;
    EXPECT_DOUBLE_EQ(host[static_cast<std::size_t>(i)], plugin->GetParam(i)->GetNormalizedValue())
        << plugin->GetParam(i)->GetName();
  }
  std::vector<int> changed;
  for (int i = 0; i < kNumParams; ++i)
    if (plugin->GetParam(i)->GetNormalizedValue() != before[static_cast<std::size_t>(i)])
      changed.push_back(i);
  EXPECT_EQ(told, changed);
  EXPECT_NE(std::find(told.begin(), told.end(), kRMSRefLevel), told.end());
}

}  // namespace
}  // namespace kalvo5::test
