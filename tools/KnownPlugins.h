// What the meter knows of particular plug-ins beyond what VST 2 lets a
// plug-in say about itself.
#pragma once

#include <optional>

#include "tools/PluginInstance.h"

namespace kalvo5::meter {

struct SampleRateRange {
  double lowest = 0.0, highest = 0.0;  // Hz, inclusive
};

// The sample rates the plug-in measures correctly, when known. Kalvo5
// (unique ID 'Vt51'): 8 to 192 kHz. Its K-weighting shelf (1.68 kHz) must lie
// well below half the rate, and its weighting-filter designs are specified up
// to 192 kHz.
std::optional<SampleRateRange> SupportedSampleRates(const PluginInstance& plugin);

}  // namespace kalvo5::meter
