#include "tools/InstanceReport.h"

#include <algorithm>

#include "tools/PluginFacts.h"
#include "tools/TextFormat.h"

namespace kalvo5::meter {
namespace {

// A level (dBFS, dBTP, LUFS, LKFS) that shows what the bottom of its range
// shows (-144 dBFS for silence, -70 LUFS for an integrated loudness with
// nothing above the absolute gate) measured nothing. Known only from
// plug-ins that tell the display of a value.
bool IsLevelAtItsFloor(const PluginInstance& plugin, const ParameterReading& reading) {
  static const char* const kLevelUnits[] = {"dBFS", "dBTP", "LUFS", "LKFS"};
  if (std::none_of(std::begin(kLevelUnits), std::end(kLevelUnits),
                   [&](const char* unit) { return reading.label == unit; })) {
    return false;
  }
  const auto floor = plugin.DisplayOfValueIfAnswered(reading.index, 0.0f);
  return floor && Trimmed(*floor) == Trimmed(reading.display);
}

// Why a reading of a loudness window (Kalvo5's names, in every type) is no
// measurement when the programme is shorter than the window: the plug-in
// shows what the part-filled window holds. Empty when it filled.
std::string UnfilledWindow(const std::string& reading, const RenderFacts& facts) {
  struct Window {
    const char* reading;
    double seconds;
    const char* name;
  };
  static const Window kWindows[] = {{"ML", 0.4, "400 ms momentary"}, {"ML Max", 0.4, "400 ms momentary"},
                                    {"SL", 3.0, "3 s short-term"},   {"SL Max", 3.0, "3 s short-term"},
                                    {"LRA", 3.0, "3 s short-term"},  {"LRAD", 3.0, "3 s short-term"}};
  if (!(facts.sampleRate > 0.0)) return {};
  const double seconds = static_cast<double>(facts.frames) / facts.sampleRate;
  for (const Window& w : kWindows) {
    if (reading == w.reading && seconds < w.seconds)
      return std::string("no measurement: the programme is shorter than the ") + w.name + " window";
  }
  return {};
}

// The plug-in's output parameters, named "OUT:..."; only those of `type`
// when some name it ("OUT:EBU IL").
std::vector<int> OutputParameters(const PluginInstance& plugin, const std::string& type) {
  std::vector<int> all, ofType;
  for (int i = 0; i < plugin.ParameterCount(); ++i) {
    const std::string name = plugin.ParameterName(i);
    if (!name.starts_with("OUT:")) continue;
    all.push_back(i);
    if (StartsWithWord(name.substr(4), type)) ofType.push_back(i);
  }
  return ofType.empty() ? all : ofType;
}

std::vector<int> ReportedParameters(const PluginInstance& plugin, const std::string& type,
                                    const RenderFacts& facts, bool allParameters) {
  std::vector<int> reported = plugin.Host().Automation().WrittenIndices();
  if (!allParameters && facts.frames == 0) return OutputParameters(plugin, type);
  if (allParameters || reported.empty()) {
    reported.clear();
    for (int i = 0; i < plugin.ParameterCount(); ++i) reported.push_back(i);
  }
  return reported;
}

}  // namespace

AnalyzerReport ReportInstance(const PluginInstance& plugin, const std::string& type,
                              const SettingsMade& settings, const RenderFacts& facts, bool allParameters) {
  AnalyzerReport report;
  report.type = type;
  for (int index : settings.touched) {
    report.settings.push_back(ReadParameter(plugin, index));
    report.settings.back().hostOnly =
        std::find(settings.hostOnly.begin(), settings.hostOnly.end(), index) != settings.hostOnly.end();
  }
  for (int index : ReportedParameters(plugin, type, facts, allParameters)) {
    ParameterReading reading = ReadParameter(plugin, index);
    if (facts.frames == 0) {
      reading.noValue = "no audio: the file holds no frames";
    } else if (std::string why = plugin.NoMeasurementReason(index); !why.empty()) {
      reading.noValue = std::move(why);
      reading.unmeasured = true;
    } else if (std::string unfilled =
                   type.empty() ? "" : UnfilledWindow(MeasureName(reading.name, type), facts);
               !unfilled.empty()) {
      reading.noValue = std::move(unfilled);
      reading.unmeasured = true;
    } else if (IsLevelAtItsFloor(plugin, reading)) {
      reading.noValue = "at the bottom of its range: no signal, or nothing above the gate";
    }
    report.values.push_back(std::move(reading));
  }
  return report;
}

}  // namespace kalvo5::meter
