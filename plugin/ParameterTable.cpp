#include "ParameterTable.h"

#include <array>
#include <iterator>

#include "ReadingTable.h"

namespace kalvo5 {

namespace {

using iplug::CannotAutomate;
using iplug::NoFlags;
using iplug::ParamKind;

constexpr const char* kLowerOffOn[] = {"off", "on"};
constexpr const char* kOffOn[] = {"Off", "On"};
constexpr const char* kRMSChannelConfigs[] = {"Stereo", "Left", "Right", "4 Ch.", "6 Ch."};
constexpr const char* kRMSModes[] = {"SUM", "AES17", "AVG"};
constexpr const char* kWeightings[] = {"---", "BS1770", "Leq(A)", "Leq(B)", "Leq(C)", "Leq(M)", "Leq(A)+3"};
constexpr const char* kLoudnessChannelConfigs[] = {"1.0", "2.0", "4.0", "4.1", "5.1"};

#define KALVO5_TEXTS(list) list, static_cast<int>(std::size(list))

constexpr ParamRow Enum(int index, const char* name, const char* group, double defaultValue,
                        const char* const* texts, int count, iplug::ParamFlags flags = NoFlags) {
  return {index, name,         group, ParamKind::Enum, 0,     static_cast<double>(count - 1),
          1,     defaultValue, "",    flags,           texts, count};
}

constexpr ParamRow Double(int index, const char* name, const char* group, double min, double max, double step,
                          double defaultValue, const char* label, iplug::ParamFlags flags = NoFlags) {
  return {index, name, group, ParamKind::Double, min, max, step, defaultValue, label, flags, nullptr, 0};
}

constexpr ParamRow Trigger(int index, const char* name) {
  return {index, name, "Analyzer", ParamKind::Int, 0, 1, 1, 0, "", iplug::Stepped, nullptr, 0};
}

// An output parameter, as its reading describes it.
constexpr ParamRow Output(const ReadingRow& r) {
  return Double(r.param, r.name, "Automation", r.min, r.max, 0.1, r.defaultValue, r.unit);
}

// The parameters that are no reading; the readings' rows fill the indices
// between them.
constexpr ParamRow kSettingRows[] = {
    Double(kGUIScale, "GUI Scale", "GUI", 0.5, 3.0, 0.01, 1.0, "", CannotAutomate),
    Enum(kToggleTooltips, "Toggle Tooltips", "GUI", 1, KALVO5_TEXTS(kLowerOffOn), CannotAutomate),
    Enum(kType, "Type", "Analyzer", 0, KALVO5_TEXTS(kTypeNames)),
    Enum(kSync, "Sync", "DAW", 0, KALVO5_TEXTS(kOffOn)),
    Enum(kWriteAutomationData, "WriteAutomationData", "Automation", 0, KALVO5_TEXTS(kOffOn)),
    Enum(kRMSChannelConfig, "RMS Channel Config", "Analyzer", 0, KALVO5_TEXTS(kRMSChannelConfigs)),
    Double(kRMSGain, "RMS Gain", "Processing", -60, 60, 0.1, 0, "dB"),
    Double(kRMSRefLevel, "RMS RefLevel", "Analyzer", -120, 120, 0.1, -18, "dBFS"),
    Enum(kRMSDelta, "RMS Offset", "Analyzer", 0, KALVO5_TEXTS(kOffOn)),
    Enum(kRMSMode, "RMS Meter Mode", "Analyzer", 0, KALVO5_TEXTS(kRMSModes)),
    Double(kRMSWindow, "RMS Window", "Analyzer", 10, 10000, 1, 600, "ms"),
    Enum(kRMSWFilterMode, "RMS Weighting Filer Mode", "Analyzer", 0, KALVO5_TEXTS(kWeightings)),
    Enum(kEBUChannelConfig, "EBU Channel Config", "Analyzer", 1, KALVO5_TEXTS(kLoudnessChannelConfigs)),
    Double(kEBUGain, "EBU Gain", "Processing", -60, 60, 0.1, 0, "LU"),
    Double(kEBURefLevel, "EBU RefLevel", "Analyzer", -60, 12, 0.1, -23, "LUFS"),
    Enum(kEBUDelta, "EBU Offset", "Analyzer", 0, KALVO5_TEXTS(kOffOn)),
    Enum(kDIALChannelConfig, "Dial Channel Config", "Analyzer", 1, KALVO5_TEXTS(kLoudnessChannelConfigs)),
    Double(kDIALGain, "Dial Gain", "Processing", -60, 60, 0.1, 0, "LK"),
    Double(kDIALRefLevel, "Dial RefLevel", "Analyzer", -60, 12, 0.1, -24, "LKFS"),
    Enum(kDIALDelta, "Dial Offset", "Analyzer", 0, KALVO5_TEXTS(kOffOn)),
    Double(kDIALWindow, "Dial S-Window", "Analyzer", 10, 99999, 1, 10000, "ms"),
    Trigger(kReset, "Reset"),
    Enum(kTruePeak, "Toggle TruePeak measurement", "Analyzer", 1, KALVO5_TEXTS(kOffOn)),
    Enum(kNoResetOnSync, "No reset during DAW sync", "Analyzer", 0, KALVO5_TEXTS(kOffOn)),
    Trigger(kMatchRMSI, "Match RMS I"),
    Trigger(kMatchRMSMLMax, "Match RMS ML Max"),
    Trigger(kMatchRMSPeakMax, "Match RMS Peak Max"),
    Trigger(kMatchRMSTPMax, "Match RMS TP Max"),
    Trigger(kMatchEBUI, "Match EBU I"),
    Trigger(kMatchEBUSLMax, "Match EBU SL Max"),
    Trigger(kMatchEBUMLMax, "Match EBU ML Max"),
    Trigger(kMatchEBUTPMax, "Match EBU TP Max"),
    Trigger(kMatchDIALI, "Match DIAL I"),
    Trigger(kMatchDIALSLMax, "Match DIAL SL Max"),
    Trigger(kMatchDIALTPMax, "Match DIAL TP Max"),
    Enum(kOnlineUpdateCheck, "Online Update Check", "GUI", 1, KALVO5_TEXTS(kLowerOffOn), CannotAutomate),
    Enum(kNoLinkOutput, "No link output to chan conf", "Processing", 0, KALVO5_TEXTS(kOffOn)),
};

#undef KALVO5_TEXTS

// Every parameter in index order, from the settings and the readings. An
// index outside the parameters is left out; the check below then finds an
// index without its row.
constexpr std::array<ParamRow, kNumParams> AllRows() {
  std::array<ParamRow, kNumParams> rows{};
  for (ParamRow& row : rows) row.index = -1;
  const auto place = [&rows](const ParamRow& row) {
    if (row.index >= 0 && row.index < kNumParams) rows[static_cast<std::size_t>(row.index)] = row;
  };
  for (const ParamRow& row : kSettingRows) place(row);
  for (const ReadingRow& reading : kReadingRows) place(Output(reading));
  return rows;
}

constexpr std::array<ParamRow, kNumParams> kRows = AllRows();

// As many rows as parameters, and each index with its own: no index claimed
// twice, none missing.
constexpr bool EveryIndexHasOneRow() {
  for (int i = 0; i < kNumParams; ++i)
    if (kRows[static_cast<std::size_t>(i)].index != i) return false;
  return std::size(kSettingRows) + std::size(kReadingRows) == kNumParams;
}
static_assert(EveryIndexHasOneRow());

}  // namespace

const ParamRow* FindParamRow(int index) { return index >= 0 && index < kNumParams ? &kRows[index] : nullptr; }

double ParamDefault(int index) {
  const ParamRow* row = FindParamRow(index);
  return row ? row->defaultValue : 0.0;
}

void DefineParameters(iplug::IEditorDelegate& params, const double (&defaults)[kNumParams]) {
  for (const ParamRow& row : kRows) {
    iplug::IParam* param = params.GetParam(row.index);
    if (!param) continue;
    const double defaultValue = defaults[row.index];
    switch (row.kind) {
      case ParamKind::Enum:
        param->DefineEnum(row.name, static_cast<int>(defaultValue), row.textCount, row.label, row.flags,
                          row.group);
        for (int i = 0; i < row.textCount; ++i) param->AddDisplayText(i, row.texts[i]);
        break;
      case ParamKind::Int:
        param->SetKind(ParamKind::Int);
        [[fallthrough]];
      default:
        param->DefineDouble(row.name, row.label, row.flags, row.group, iplug::IParam::ShapeLinear(),
                            defaultValue, row.min, row.max, row.step);
        break;
    }
  }
}

const NamedParam NamedParamTable[] = {
    {"kType", kType, NamedValueKind::Int, "%d"},
    {"kRMSChannelConfig", kRMSChannelConfig, NamedValueKind::Int, "%d"},
    {"kRMSGain", kRMSGain, NamedValueKind::Double, "%.1lf"},
    {"kRMSRefLevel", kRMSRefLevel, NamedValueKind::Double, "%.1lf"},
    {"kRMSMode", kRMSMode, NamedValueKind::Int, "%d"},
    {"kRMSWindow", kRMSWindow, NamedValueKind::Double, "%.1lf"},
    {"kRMSDelta", kRMSDelta, NamedValueKind::Int, "%d"},
    {"kRMSWFilterMode", kRMSWFilterMode, NamedValueKind::Int, "%d"},
    {"kEBUChannelConfig", kEBUChannelConfig, NamedValueKind::Int, "%d"},
    {"kEBUGain", kEBUGain, NamedValueKind::Double, "%.1lf"},
    {"kEBURefLevel", kEBURefLevel, NamedValueKind::Double, "%.1lf"},
    {"kEBUDelta", kEBUDelta, NamedValueKind::Int, "%d"},
    {"kDIALChannelConfig", kDIALChannelConfig, NamedValueKind::Int, "%d"},
    {"kDIALGain", kDIALGain, NamedValueKind::Double, "%.1lf"},
    {"kDIALRefLevel", kDIALRefLevel, NamedValueKind::Double, "%.1lf"},
    {"kDIALDelta", kDIALDelta, NamedValueKind::Int, "%d"},
    {"kDIALWindow", kDIALWindow, NamedValueKind::Double, "%.1lf"},
    {nullptr, -1, NamedValueKind::Int, nullptr},
};

const char* const PresetCategoryNames[kNumPresetCategories] = {
    "Top", "EBU R128", "ITU BS1770", "ATSC A/85", "Studioscale", "TASA", "Dialog",
};

}  // namespace kalvo5
