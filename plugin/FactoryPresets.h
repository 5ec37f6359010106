// The 21 factory presets: common loudness and level targets in seven
// categories (the category numbers index PresetCategoryNames).
#pragma once

#include <initializer_list>

#include "framework/iplug/IPlugAPIBase.h"
#include "plugin/IXMLParameters.h"
#include "plugin/PresetStore.h"

namespace kalvo5 {

struct PresetValue {
  int index;
  double value;
};

// Appends one factory entry holding the given values and every other
// parameter's default.
void MakeFactoryPreset(iplug::IPluginBase& plugin, const IXMLParameters& xml, PresetStore& store,
                       const char* name, int category, std::initializer_list<PresetValue> values);

// Builds the Init entry and the factory list, and puts the Init entry into
// preset slot 0 (without loading it). Once, after the parameters are defined.
void MakeFactoryPresets(iplug::IPluginBase& plugin, const IXMLParameters& xml, PresetStore& store);

}  // namespace kalvo5
