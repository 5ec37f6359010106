// What the meter knows of particular plug-ins beyond what VST 2 lets a
// plug-in say about itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

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

// Why reading `name` holds no measurement after the plug-in processed
// `frames` frames at `sampleRate`, although its display shows a number;
// empty when it holds one. Kalvo5's integrated loudness ("OUT:EBU IL",
// "OUT:DIAL IL") needs one complete 400 ms block: before it, the reading is
// the early estimate of a meter still filling.
std::string NoMeasurementReason(const PluginInstance& plugin, const std::string& name, std::int64_t frames,
                                double sampleRate);

}  // namespace kalvo5::meter
