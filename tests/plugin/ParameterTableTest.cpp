#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "Kalvo5TestSupport.h"
#include "plugin/ParameterTable.h"

namespace kalvo5::test {
namespace {

using iplug::ParamKind;

TEST_F(PluginTest, DefinesFiftySevenUniquelyNamedParametersWithTheirDefaults) {
  ASSERT_EQ(plugin->NParams(), kNumParams);
  std::set<std::string> names;
  for (int i = 0; i < kNumParams; ++i) {
    const iplug::IParam* param = plugin->GetParam(i);
    EXPECT_NE(param->Kind(), ParamKind::None) << i;
    EXPECT_TRUE(names.insert(param->GetName()).second) << param->GetName();
    EXPECT_EQ(param->GetValue(), param->GetDefault()) << param->GetName();
    if (!IsOutputParam(i)) {
      EXPECT_EQ(plugin->Settings().Get(i), param->GetValue()) << i;
    }
  }
  EXPECT_EQ(plugin->GetParam(kOutEBUIL)->GetValue(), -70.0);
  EXPECT_EQ(plugin->GetParam(kOutRMSCrest)->GetValue(), 0.0);
  EXPECT_EQ(plugin->GetParam(kOutRMSTPMax)->GetValue(), -144.0);
}

// Every reading is an output parameter and is written with its type, however
// many readings a type has: none is left out of the parameters or the writes.
TEST_F(PluginTest, EveryReadingIsAnOutputParameterThatItsTypeWrites) {
  int outputs = 0;
  for (int i = 0; i < kNumParams; ++i) outputs += IsOutputParam(i) ? 1 : 0;
  EXPECT_EQ(outputs, static_cast<int>(std::size(kReadingRows)));
  const MeasurementReadings readings{};
  for (int type : {kTypeRMS, kTypeEBU, kTypeDIAL}) {
    const OutputValues written = OutputValuesFor(type, readings);
    std::vector<int> rows;
    for (const ReadingRow& row : kReadingRows)
      if (row.type == type) rows.push_back(row.param);
    EXPECT_EQ(std::vector<int>(written.index, written.index + written.count), rows) << kTypeNames[type];
  }
  EXPECT_EQ(OutputValuesFor(3, readings).count, 0);
}

TEST_F(PluginTest, KindsFlagsAndTextsFollowTheTable) {
  const iplug::IParam* scale = plugin->GetParam(kGUIScale);
  EXPECT_FALSE(scale->CanAutomate());
  EXPECT_EQ(scale->GetPrecision(), 2);
  EXPECT_FALSE(plugin->GetParam(kToggleTooltips)->CanAutomate());
  EXPECT_FALSE(plugin->GetParam(kOnlineUpdateCheck)->CanAutomate());
  EXPECT_TRUE(plugin->GetParam(kType)->CanAutomate());

  EXPECT_STREQ(plugin->GetParam(kRMSWFilterMode)->GetName(), "RMS Weighting Filer Mode");
  EXPECT_STREQ(plugin->GetParam(kRMSWFilterMode)->FormatDisplay(0.5, true, true).c_str(), "Leq(B)");
  EXPECT_STREQ(plugin->GetParam(kToggleTooltips)->FormatDisplay(1, false, true).c_str(), "on");
  EXPECT_STREQ(plugin->GetParam(kSync)->FormatDisplay(1, false, true).c_str(), "On");
  EXPECT_STREQ(plugin->GetParam(kDIALChannelConfig)->FormatDisplay(4, false, true).c_str(), "5.1");
  EXPECT_STREQ(plugin->GetParam(kRMSChannelConfig)->FormatDisplay(3, false, true).c_str(), "4 Ch.");
  EXPECT_STREQ(plugin->GetParam(kRMSRefLevel)->FormatDisplay(-18, false, true).c_str(), "-18.0");
  EXPECT_STREQ(plugin->GetParam(kRMSGain)->GetLabel(), "dB");
  EXPECT_STREQ(plugin->GetParam(kDIALGain)->GetLabel(), "LK");
  EXPECT_STREQ(plugin->GetParam(kDIALWindow)->GetGroup(), "Analyzer");
  EXPECT_EQ(plugin->GetParam(kDIALWindow)->GetMax(), 99999.0);

  for (int trigger : {kReset, kMatchRMSI, kMatchDIALTPMax}) {
    const iplug::IParam* param = plugin->GetParam(trigger);
    EXPECT_EQ(param->Kind(), ParamKind::Int);
    EXPECT_TRUE(param->IsStepped());
    param = nullptr;
    plugin->GetParam(trigger)->SetNormalizedValue(0.7);
    EXPECT_EQ(plugin->GetParam(trigger)->GetValue(), 1.0);  // only ever 0 or 1
    plugin->GetParam(trigger)->SetValue(0);
  }
}

TEST(NamedParams, SeventeenRowsInTheirFixedOrderEndedByANullRow) {
  int rows = 0;
  while (NamedParamTable[rows].identifier) ++rows;
  EXPECT_EQ(rows, 17);
  EXPECT_EQ(NamedParamTable[rows].index, -1);
  EXPECT_STREQ(NamedParamTable[4].identifier, "kRMSMode");
  EXPECT_EQ(NamedParamTable[4].index, kRMSMode);
  EXPECT_EQ(NamedParamTable[6].index, kRMSDelta);
  EXPECT_EQ(NamedParamTable[16].index, kDIALWindow);
  EXPECT_STREQ(NamedParamTable[16].format, "%.1lf");
  EXPECT_EQ(NamedParamTable[0].kind, NamedValueKind::Int);
  EXPECT_STREQ(PresetCategoryNames[3], "ATSC A/85");
  EXPECT_STREQ(PresetCategoryNames[6], "Dialog");
}

}  // namespace
}  // namespace kalvo5::test
