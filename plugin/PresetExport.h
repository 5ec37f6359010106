// "preset.txt": the current named settings written as a source line that
// builds a factory preset from them, for the developer to paste.
#pragma once

#include <string>

#include "framework/iplug/IPluginBase.h"
#include "plugin/ParameterTable.h"

namespace kalvo5 {

// The text for the parameters `table` lists, in its order: Int rows as the
// value truncated toward zero, Double rows with one decimal (C locale).
std::string PresetExportText(const iplug::IPluginBase& plugin, const NamedParam* table);

// Writes PresetExportText of NamedParamTable to folder/"preset.txt",
// replacing an older one. False when it cannot be written.
bool ExportPresetText(const iplug::IPluginBase& plugin, const std::string& folder);

}  // namespace kalvo5
