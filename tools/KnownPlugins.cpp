#include "tools/KnownPlugins.h"

namespace kalvo5::meter {

std::optional<SampleRateRange> SupportedSampleRates(const PluginInstance& plugin) {
  if (plugin.Effect()->uniqueID == vst2::FourCharCode('V', 't', '5', '1'))
    return SampleRateRange{8000.0, 192000.0};
  return std::nullopt;
}

}  // namespace kalvo5::meter
