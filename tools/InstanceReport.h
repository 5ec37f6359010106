// What one plug-in instance reported after a render: the settings the run
// made and the readings, each with why it holds no value when it holds none.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/MeterReport.h"
#include "tools/PluginInstance.h"

namespace kalvo5::meter {

// The parameters the run set, and those of them the host set for its own
// needs only (reported, but not in the table).
struct SettingsMade {
  const std::vector<int>& touched;
  const std::vector<int>& hostOnly;
};

struct RenderFacts {
  std::int64_t frames = 0;  // frames the instance processed
  double sampleRate = 0.0;
};

// The readings are the parameters the plug-in wrote as automation; every
// parameter when `allParameters` or when it wrote nothing from audio it had.
// Without audio there is nothing to read: the plug-in's output parameters
// ("OUT:...", those of `type` when it names types) hold no value.
AnalyzerReport ReportInstance(const PluginInstance& plugin, const std::string& type,
                              const SettingsMade& settings, const RenderFacts& facts, bool allParameters);

}  // namespace kalvo5::meter
