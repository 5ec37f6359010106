// Finding the user presets: the preset files in the data folder become the
// store's user list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "framework/iplug/IPlugAPIBase.h"
#include "plugin/IXMLParameters.h"
#include "plugin/IXMLPreset.h"
#include "plugin/PresetStore.h"

namespace kalvo5 {

// Whether a file name marks a preset file: ".vrs" (case-sensitive) starting
// at a "." that has at least three characters after it, so "a.vrs" and
// "a.vrs.bak" are taken, "a.VRS" and "a.vr" are not.
bool IsPresetFileName(std::string_view name);

// Rebuilds the user list from the regular files in `folder` whose names mark
// preset files, in sorted order. Files that are not readable documents of
// this plug-in are skipped. Every entry holds all values: the file's, the
// named parameters' defaults for those it leaves out, the rest as defaults.
void RescanUserPresets(iplug::IPluginBase& plugin, const IXMLPreset& files, const IXMLParameters& xml,
                       PresetStore& store, const std::string& folder);

}  // namespace kalvo5
