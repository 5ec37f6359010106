// Channel configurations: the text form "1-1 2-2 4-4" (inputs-outputs, buses
// separated by '.', '*' for any number) and the totals derived from it.
#pragma once

#include <string_view>
#include <vector>

#include "PluginConfig.h"

namespace iplug {

// A bus written "*" accepts any number of channels and counts as this.
inline constexpr int kAnyChannelCount = -64;

struct BusInfo {
  ERoute direction = kInput;
  int nChannels = 0;
};

struct IOConfig {
  std::vector<BusInfo> buses[2];  // by direction
  int NChannels(ERoute direction) const;
};

struct ParsedChannelIO {
  std::vector<IOConfig> configs;
  int maxInputs = 0;
  int maxOutputs = 0;
};

ParsedChannelIO ParseChannelIO(std::string_view text);

// True if some configuration has exactly these totals; -1 stands for any.
bool IsLegalIO(const std::vector<IOConfig>& configs, int inputs, int outputs);

}  // namespace iplug
