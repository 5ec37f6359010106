// Finding the user presets: the preset files in the data folder, listed with
// their presets' names. An entry's settings are read from its file when it is
// applied, so a folder of thousands of presets lists in a blink.
#pragma once

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

#include "framework/iplug/IPluginBase.h"
#include "plugin/IXMLParameters.h"
#include "plugin/IXMLPreset.h"
#include "plugin/PresetStore.h"

namespace kalvo5 {

// Whether a file name marks a preset file: ".vrs" (case-sensitive) starting
// at a "." that has at least three characters after it, so "a.vrs" and
// "a.vrs.bak" are taken, "a.VRS" and "a.vr" are not.
bool IsPresetFileName(std::string_view name);

// The regular files in `folder`, in sorted order, whose names mark preset
// files and whose start holds a preset document of `identity` (see
// ReadPresetFileName), with their presets' names converted from the code
// page to UTF-8. Touches no plug-in state, so it may run on any thread;
// returns early, with what it found, once `cancel` is set.
std::vector<UserPresetFile> ListUserPresetFiles(const std::string& folder, const PresetTreeIdentity& identity,
                                                const std::atomic<bool>& cancel);

// Reads user entry `index`'s file into the entry's state: the file's values,
// the named parameters' defaults for those it leaves out, the rest as
// defaults. False, leaving the entry as it was, when the file is no longer a
// complete preset document of this plug-in. GUI thread.
bool CompleteUserPreset(iplug::IPluginBase& plugin, const IXMLPreset& files, const IXMLParameters& xml,
                        PresetStore& store, int index);

}  // namespace kalvo5
