#include "plugin/FactoryPresets.h"

#include <iterator>
#include <span>
#include <vector>

#include "framework/iplug/TextCopy.h"
#include "plugin/Kalvo5Params.h"

namespace kalvo5 {

namespace {

// The settings a factory preset lists, in this column order.
constexpr int kColumns[] = {
    kType,           kRMSChannelConfig, kRMSGain,   kRMSRefLevel, kRMSMode,  kRMSWindow,         kRMSDelta,
    kRMSWFilterMode, kEBUChannelConfig, kEBUGain,   kEBURefLevel, kEBUDelta, kDIALChannelConfig, kDIALGain,
    kDIALRefLevel,   kDIALDelta,        kDIALWindow};
constexpr int kColumnCount = static_cast<int>(std::size(kColumns));

struct FactoryRow {
  const char* name;
  int category;
  double values[kColumnCount];
};

// A cell left at its parameter's default.
constexpr double _ = kNotGivenMarker;

// Type RMSch RMSgain RMSref Mode Window Offset Weight | EBUch EBUgain EBUref
// Offset | Dialch Dialgain Dialref Offset S-Window
const FactoryRow kFactoryRows[] = {
    {"LUFS EBU R128", 1, {1, 0, 0, -18, 0, 300, 0, _, 1, 0, -23, 0, _, _, _, _, _}},
    {"LU EBU R128", 1, {1, 0, 0, -18, 0, 300, 0, _, 1, 0, -23, 1, _, _, _, _, _}},
    {"LU -20 (-20LUFS)", 1, {1, 0, 0, -18, 0, 300, 0, _, 1, 0, -20, 1, _, _, _, _, _}},
    {"LU -16 (-16LUFS)", 1, {1, 0, 0, -18, 0, 300, 0, _, 1, 0, -16, 1, _, _, _, _, _}},
    {"LU -14 (-14LUFS)", 1, {1, 0, 0, -18, 0, 300, 0, _, 1, 0, -14, 1, _, _, _, _, _}},
    {"LU -12 (-12LUFS)", 1, {1, 0, 0, -18, 0, 300, 0, _, 1, 0, -12, 1, _, _, _, _, _}},
    {"LU -10 (-10LUFS)", 1, {1, 0, 0, -18, 0, 300, 0, _, 1, 0, -10, 1, _, _, _, _, _}},
    {"LKFS ITU BS1770-4", 2, {1, 0, 0, -18, 0, 300, 0, _, 1, 0, -24, 0, _, _, _, _, _}},
    {"LKFS ATSC A/85", 3, {1, 0, 0, -18, 0, 300, 0, _, 1, 0, -24, 0, _, _, _, _, _}},
    {"dB K-20", 4, {0, 0, 0, -20, 0, 600, 1, _, 0, 0, -23, 0, _, _, _, _, _}},
    {"dB K-16", 4, {0, 0, 0, -16, 0, 600, 1, _, 0, 0, -23, 0, _, _, _, _, _}},
    {"dB K-14", 4, {0, 0, 0, -14, 0, 600, 1, _, 0, 0, -23, 0, _, _, _, _, _}},
    {"dB K-12", 4, {0, 0, 0, -12, 0, 600, 1, _, 0, 0, -23, 0, _, _, _, _, _}},
    {"dB K-10", 4, {0, 0, 0, -10, 0, 600, 1, _, 0, 0, -23, 0, _, _, _, _, _}},
    {"TASA Leq(M)", 5, {0, 0, 0, -108, 0, 3000, 1, 5, 0, 0, -23, 0, _, _, _, _, _}},
    {"LKFS Dialog 10s", 6, {2, 0, 0, -18, 0, 600, 0, 0, 1, 0, -23, 0, 1, 0, -24, 0, 10000}},
    {"LK Dialog 10s", 6, {2, 0, 0, -18, 0, 600, 0, 0, 1, 0, -23, 0, 1, 0, -24, 1, 10000}},
    {"LKFS Dialog 3s", 6, {2, 0, 0, -18, 0, 600, 0, 0, 1, 0, -23, 0, 1, 0, -24, 0, 3000}},
    {"LK Dialog 3s", 6, {2, 0, 0, -18, 0, 600, 0, 0, 1, 0, -23, 0, 1, 0, -24, 1, 3000}},
    {"Netflix 2020 LKFS", 6, {2, 0, 0, -18, 0, 600, 0, 0, 1, 0, -23, 0, 1, 0, -27, 0, 3000}},
};

// Fills an entry: the given values, the defaults for every other parameter.
void BuildEntry(iplug::IPluginBase& plugin, const IXMLParameters& xml, iplug::PresetEntry& entry,
                const char* name, int tag, std::span<const PresetValue> given) {
  entry.initialized = true;
  entry.tag = tag;
  iplug::CopyText(entry.name, name);
  std::vector<double> values(static_cast<std::size_t>(plugin.NParams()), kNotGivenMarker);
  for (const PresetValue& v : given)
    if (v.index >= 0 && v.index < plugin.NParams()) values[static_cast<std::size_t>(v.index)] = v.value;
  StorePresetValues(plugin, xml, values, entry);
}

}  // namespace

void MakeFactoryPreset(iplug::IPluginBase& plugin, const IXMLParameters& xml, PresetStore& store,
                       const char* name, int category, std::initializer_list<PresetValue> values) {
  BuildEntry(plugin, xml, store.AddFactory(), name, category, {values.begin(), values.size()});
}

void MakeFactoryPresets(iplug::IPluginBase& plugin, const IXMLParameters& xml, PresetStore& store) {
  BuildEntry(plugin, xml, store.Init(), "Init", -1, {});
  MakeFactoryPreset(plugin, xml, store, "Init", 0, {});
  plugin.CopyPresetInto(store.Init(), 0);

  for (const FactoryRow& row : kFactoryRows) {
    PresetValue given[kColumnCount];
    for (int c = 0; c < kColumnCount; ++c) given[c] = {kColumns[c], row.values[c]};
    BuildEntry(plugin, xml, store.AddFactory(), row.name, row.category, given);
  }
}

}  // namespace kalvo5
