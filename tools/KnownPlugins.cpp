#include "tools/KnownPlugins.h"

#include <algorithm>

namespace kalvo5::meter {
namespace {

bool IsKalvo5(const PluginInstance& plugin) {
  return plugin.Effect()->uniqueID == vst2::FourCharCode('V', 't', '5', '1');
}

// The frame at which Kalvo5's momentary meter ends its first complete
// block: its 400 ms window and 100 ms hop are whole numbers of frames
// (truncated), and blocks end every hop, so the first complete one ends at
// the first hop at or after the window's length (5510 frames at 11.025 kHz).
std::int64_t FirstCompleteBlock(double sampleRate) {
  const auto window = std::max<std::int64_t>(1, static_cast<std::int64_t>(400 * 0.001 * sampleRate));
  const auto hop = std::max<std::int64_t>(1, static_cast<std::int64_t>(0.25 * static_cast<double>(window)));
  return (window + hop - 1) / hop * hop;
}

}  // namespace

std::optional<SampleRateRange> SupportedSampleRates(const PluginInstance& plugin) {
  if (IsKalvo5(plugin)) return SampleRateRange{8000.0, 192000.0};
  return std::nullopt;
}

std::string NoMeasurementReason(const PluginInstance& plugin, const std::string& name, std::int64_t frames,
                                double sampleRate) {
  if (!IsKalvo5(plugin) || (name != "OUT:EBU IL" && name != "OUT:DIAL IL")) return {};
  if (frames >= FirstCompleteBlock(sampleRate)) return {};
  return "no measurement: the programme holds no complete 400 ms block";
}

}  // namespace kalvo5::meter
