#include "plugin/PresetExport.h"

#include "framework/iplug/NumberText.h"
#include "platform/FileIO.h"
#include "plugin/DataFolders.h"

namespace kalvo5 {

namespace {

constexpr const char* kIndent = "\t\t\t\t\t\t\t";
constexpr const char* kValueGap = "\t\t\t\t";

std::string FormatNamedValue(const NamedParam& row, double value) {
  if (row.kind == NamedValueKind::Int) return std::to_string(static_cast<int>(value));
  char text[400];
  const std::size_t length = iplug::FormatFixed(text, sizeof text, value, 1);
  return std::string(text, length);
}

}  // namespace

std::string PresetExportText(const iplug::IPluginBase& plugin, const NamedParam* table) {
  int rows = 0;
  for (const NamedParam* row = table; row && row->identifier; ++row) ++rows;

  std::string text = "mmax_presets++;\n";
  text += "MakePresetFromNamedParams(\"xxx\",\n";
  text += kIndent + std::to_string(rows) + ",\n";
  for (const NamedParam* row = table; row && row->identifier; ++row) {
    const iplug::IParam* param = plugin.GetParam(row->index);
    text += kIndent;
    text += row->identifier;
    text += ",";
    text += kValueGap;
    text += FormatNamedValue(*row, param ? param->GetValue() : 0.0);
    text += (row + 1)->identifier ? ",\n" : "\n";
  }
  text += kIndent;
  text += ");";
  return text;
}

bool ExportPresetText(const iplug::IPluginBase& plugin, const std::string& folder) {
  return platform::WriteFileReplacing(JoinPath(folder, "preset.txt"),
                                      PresetExportText(plugin, NamedParamTable));
}

}  // namespace kalvo5
