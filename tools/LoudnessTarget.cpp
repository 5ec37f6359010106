#include "tools/LoudnessTarget.h"

#include <cmath>

#include "tools/InstanceSetup.h"
#include "tools/ParameterSetter.h"
#include "tools/PluginFacts.h"
#include "tools/TextFormat.h"

namespace kalvo5::meter {
namespace {

// The value of reading `name` ("IL") of the analyzer; none without one.
std::optional<double> ValueOf(const AnalyzerReport& analyzer, const std::string& name,
                              std::string* why = nullptr) {
  for (const auto& p : analyzer.values) {
    if (MeasureName(p.name, analyzer.type) != name) continue;
    if (why != nullptr) *why = p.noValue;
    if (p.noValue.empty()) return p.value.value;
  }
  return std::nullopt;
}

int ParameterIndex(const PluginInstance& plugin, const char* name, std::string& error) {
  const int index = plugin.FindParameter(name);
  if (index < 0) error = "--target: the plug-in has no parameter named \"" + std::string(name) + "\"";
  return index;
}

double Hundredths(double value) { return std::round(value * 100.0) / 100.0 + 0.0; }

}  // namespace

bool MatchTarget(PluginInstance& plugin, const AnalyzerReport& analyzer, double ceiling, TargetReport& result,
                 std::string& error) {
  result = TargetReport{};
  result.ceiling = ceiling;
  const int reference = ParameterIndex(plugin, kReferenceLevel, error);
  const int gain = ParameterIndex(plugin, kLoudnessGain, error);
  const int match = ParameterIndex(plugin, kMatchIntegrated, error);
  if (reference < 0 || gain < 0 || match < 0) return false;
  result.target = ReadParameter(plugin, reference);
  std::string why;
  if (!ValueOf(analyzer, "IL", &why)) {
    result.noGain = "no integrated loudness to match" + (why.empty() ? "" : " (" + why + ")");
    return true;
  }
  const auto before = ReadParameter(plugin, gain).value.value;
  plugin.SetParameter(match, 1.0f);
  // The gain the match set, on the steps its display shows.
  const std::string matched = Trimmed(plugin.ParameterDisplay(gain));
  if (!SetParameterFromText(plugin, gain, matched, error)) return false;
  result.gain = ReadParameter(plugin, gain);
  const auto after = result.gain->value.value;
  if (!before || !after) return true;
  // The measurement already holds the gain it was made with.
  const double change = *after - *before;
  result.loudnessAfter = Hundredths(*ValueOf(analyzer, "IL") + change);
  if (const auto peak = ValueOf(analyzer, "TP Max")) result.truePeakAfter = Hundredths(*peak + change);
  return true;
}

std::vector<std::string> TargetWarnings(const TargetReport& result) {
  std::vector<std::string> warnings;
  if (result.OverCeiling()) {
    warnings.push_back("with the gain to the target the true peak is " + Fixed(*result.truePeakAfter, 2) +
                       " dBTP, over the ceiling of " + Fixed(result.ceiling, 1) +
                       " dBTP (there is no limiter)");
  }
  const auto target = result.target ? result.target->value.value : std::nullopt;
  if (result.loudnessAfter && target && std::fabs(*result.loudnessAfter - *target) > 0.05) {
    warnings.push_back("the gain stops at the end of its range: with it the integrated loudness is " +
                       Fixed(*result.loudnessAfter, 1) + " LUFS, not the target's " + Fixed(*target, 1));
  }
  return warnings;
}

}  // namespace kalvo5::meter
