// What the meter reads off a plug-in instance for its reports.
#pragma once

#include "tools/MeterReport.h"
#include "tools/PluginInstance.h"
#include "tools/PluginLibrary.h"

namespace kalvo5::meter {

// A parameter as the plug-in shows it now.
ParameterReading ReadParameter(const PluginInstance& plugin, int index);

// The plug-in's names, file, entry point and sizes.
PluginDescription DescribePlugin(const PluginLibrary& library, const PluginInstance& plugin);

// The same from an instance created for it; its file and entry point alone
// when no instance can be created.
PluginDescription DescribeLibrary(const PluginLibrary& library);

}  // namespace kalvo5::meter
