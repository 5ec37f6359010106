// What the XML loaders and writers need to know about a plug-in's
// parameters: its identity texts, parameter lookup by display name, and the
// named-parameter subset.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "framework/iplug/IPluginBase.h"
#include "plugin/ParameterTable.h"
#include "plugin/XMLPresetTree.h"

namespace kalvo5 {

// "v" + major + "." + minor + "." + patch of the plug-in's version.
std::string PluginVersionText(const iplug::IPluginBase& plugin);

// The vendor, plug-in name and version text documents of this plug-in carry.
PresetTreeIdentity PluginIdentity(const iplug::IPluginBase& plugin);

// Every parameter's display name with values[index] (values holds at least
// NParams values).
std::vector<PresetTreeParam> NamedValues(const iplug::IPluginBase& plugin, std::span<const double> values);
// The same with the parameters' current values.
std::vector<PresetTreeParam> CurrentValues(const iplug::IPluginBase& plugin);

// The first parameter whose display name equals `name` byte for byte; -1
// when none does.
int FindParamByName(const iplug::IPluginBase& plugin, const char* name);

// Whether a table ended by a null identifier lists the index.
bool ListsParam(const NamedParam* table, int index);

// Sets every parameter the table lists to its default, without notification.
void ResetListedParams(iplug::IPluginBase& plugin, const NamedParam* table);

}  // namespace kalvo5
