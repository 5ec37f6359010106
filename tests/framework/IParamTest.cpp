#include "framework/iplug/IParam.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using iplug::IParam;
using iplug::ParamKind;

namespace {

void DefineOnOff(IParam& param, ParamKind kind) {
  if (kind == ParamKind::Int) param.SetKind(ParamKind::Int);
  param.DefineEnum("Switch", 0, 2, "", iplug::NoFlags, "G");
  param.AddDisplayText(0, "off");
  param.AddDisplayText(1, "on");
}

}  // namespace

TEST(IParam, SteppedNormalizedValuesRoundHalvesAwayFromZeroAndClamp) {
  IParam param;
  param.DefineEnum("Mode", 0, 3, "", iplug::NoFlags, "");
  const double cases[][2] = {{0.5, 1.0}, {0.74, 1.0}, {0.75, 2.0}, {1.3, 2.0}, {-0.2, 0.0}};
  for (const auto& c : cases) {
    param.SetNormalizedValue(c[0]);
    EXPECT_EQ(param.GetValue(), c[1]) << "normalized " << c[0];
  }
}

TEST(IParam, DefinitionWidensEmptyRangesAndDerivesPrecisionFromStep) {
  IParam flat;
  flat.DefineDouble("a", "", iplug::NoFlags, "", IParam::ShapeLinear(), 0, 0, 0, 1);
  EXPECT_EQ(flat.GetMax(), 1.0);
  IParam single;
  single.DefineEnum("b", 0, 1, "", iplug::NoFlags, "");
  EXPECT_EQ(single.GetMin(), 0.0);
  EXPECT_EQ(single.GetMax(), 1.0);
  EXPECT_EQ(single.Kind(), ParamKind::Enum);
  EXPECT_TRUE(single.IsStepped());

  const double steps[][2] = {{1, 0}, {0.1, 1}, {0.01, 2}, {1e-7, 6}};
  for (const auto& s : steps) {
    IParam p;
    p.DefineDouble("c", "dB", iplug::NoFlags, "", IParam::ShapeLinear(), 0, -60, 60, s[0]);
    EXPECT_EQ(p.GetPrecision(), static_cast<int>(s[1])) << "step " << s[0];
  }
}

TEST(IParam, DefaultIsStoredConstrainedAndKindPresetIsKept) {
  IParam param;
  param.SetKind(ParamKind::Int);
  param.DefineDouble("Reset", "", iplug::Stepped, "", IParam::ShapeLinear(), 0.6, 0, 1, 1);
  EXPECT_EQ(param.Kind(), ParamKind::Int);
  EXPECT_EQ(param.GetValue(), 1.0);
  EXPECT_EQ(param.GetDefault(), 0.6);
}

TEST(IParam, FormatDisplaySquashesOnlyExactZeroAndRoundsHalvesAway) {
  IParam tenth;
  tenth.DefineDouble("g", "dB", iplug::NoFlags, "", IParam::ShapeLinear(), 0, -60, 60, 0.1);
  EXPECT_STREQ(tenth.FormatDisplay(-0.0, false, true).c_str(), "0.0");
  EXPECT_STREQ(tenth.FormatDisplay(-0.04, false, true).c_str(), "-0.0");
  EXPECT_STREQ(tenth.FormatDisplay(-18.0, false, true).c_str(), "-18.0");
  EXPECT_STREQ(tenth.FormatDisplay(0.5, true, true).c_str(), "0.0");

  IParam whole;
  whole.DefineDouble("w", "ms", iplug::NoFlags, "", IParam::ShapeLinear(), 600, -10, 10000, 1);
  EXPECT_STREQ(whole.FormatDisplay(2.5, false, true).c_str(), "3");
  EXPECT_STREQ(whole.FormatDisplay(-2.5, false, true).c_str(), "-3");
  EXPECT_STREQ(whole.FormatDisplay(-0.4, false, true).c_str(), "0");
}

TEST(IParam, DisplayTextsFormatParseAndHideTheLabel) {
  IParam enumParam;
  DefineOnOff(enumParam, ParamKind::Enum);
  EXPECT_STREQ(enumParam.FormatDisplay(1.0, false, true).c_str(), "on");
  EXPECT_STREQ(enumParam.FormatDisplay(1.0, false, false).c_str(), "1");
  EXPECT_EQ(enumParam.ParseDisplay("on"), 1.0);
  EXPECT_EQ(enumParam.ParseDisplay("On"), 0.0);  // case-sensitive, and no numbers for an Enum
  EXPECT_EQ(enumParam.ParseDisplay("1"), 0.0);
  EXPECT_STREQ(enumParam.LabelForHost(), "");
  EXPECT_STREQ(enumParam.DisplayTextFor(1.0), "on");
  EXPECT_STREQ(enumParam.DisplayTextFor(0.5), "");
  EXPECT_EQ(enumParam.DisplayTextCount(), 2);
  EXPECT_EQ(enumParam.DisplayTextAt(2), nullptr);

  // An Int parameter takes numbers too, stepped.
  IParam intParam;
  intParam.SetKind(ParamKind::Int);
  intParam.DefineDouble("i", "", iplug::Stepped, "", IParam::ShapeLinear(), 0, 0, 1, 1);
  EXPECT_EQ(intParam.ParseDisplay("0.6"), 1.0);

  IParam labelled;
  labelled.DefineDouble("g", "dB", iplug::NoFlags, "", IParam::ShapeLinear(), 0, -60, 60, 0.1);
  EXPECT_STREQ(labelled.LabelForHost(), "dB");
}

TEST(IParam, ParseDisplayReadsTheLeadingNumberAndRejectsNan) {
  IParam window;
  window.DefineDouble("w", "ms", iplug::NoFlags, "", IParam::ShapeLinear(), 600, 10, 10000, 1);
  EXPECT_EQ(window.ParseDisplay("no number"), 10.0);
  EXPECT_EQ(window.ParseDisplay("12.5 ms"), 12.5);
  EXPECT_EQ(window.ParseDisplay("  1e3"), 1000.0);
  EXPECT_EQ(window.ParseDisplay("nan"), 10.0);
  EXPECT_EQ(window.ParseDisplay("-inf"), 10.0);
  EXPECT_EQ(window.ParseDisplay("inf"), 10000.0);
}

TEST(IParam, NanNeverBecomesAValueAndNormalizedStaysInRange) {
  IParam param;
  param.DefineDouble("g", "dB", iplug::NoFlags, "", IParam::ShapeLinear(), 0, -60, 60, 0.1);
  param.SetValue(12.0);
  param.SetValue(std::numeric_limits<double>::quiet_NaN());
  param.SetNormalizedValue(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(param.GetValue(), 12.0);
  param.SetValue(std::numeric_limits<double>::infinity());
  EXPECT_EQ(param.GetValue(), 60.0);
  EXPECT_EQ(param.GetNormalizedValue(), 1.0);
  EXPECT_EQ(param.NormalizedFromValue(-1000.0), 0.0);
  EXPECT_DOUBLE_EQ(param.NormalizedFromValue(-18.0), 42.0 / 120.0);
}

TEST(IParam, OverlongTextsAreCutToThirtyOneBytes) {
  IParam param;
  param.DefineDouble("a name that is much longer than thirty-one bytes", "", iplug::NoFlags, "",
                     IParam::ShapeLinear(), 0, 0, 1, 1);
  EXPECT_EQ(std::string(param.GetName()).size(), 31u);
}
