#include "tools/LoudnessHistory.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "tools/MeterReport.h"
#include "tools/ParameterValue.h"
#include "tools/PluginInstance.h"
#include "tools/Timeline.h"

namespace kalvo5::meter {
namespace {

// Where one reading of one instance is found in the rows, and its range.
struct Source {
  std::optional<LinearScale> scale;
  std::vector<float>* curve = nullptr;
};

}  // namespace

LoudnessHistory ReduceTimeline(const std::vector<PluginInstance*>& instances,
                               const std::vector<std::string>& types, const std::vector<TimelineRow>& rows) {
  LoudnessHistory history;
  history.curves.resize(instances.size());
  // sources[instance][parameter index]
  std::vector<std::vector<Source>> sources(instances.size());
  for (std::size_t i = 0; i < instances.size(); ++i) {
    const PluginInstance& plugin = *instances[i];
    LoudnessCurves& curves = history.curves[i];
    curves.type = i < types.size() ? types[i] : "";
    sources[i].resize(static_cast<std::size_t>(std::max(plugin.ParameterCount(), 0)));
    for (int index = 0; index < plugin.ParameterCount(); ++index) {
      const std::string name = MeasureName(plugin.ParameterName(index), curves.type);
      std::vector<float>* curve = name == "ML"       ? &curves.momentary
                                  : name == "SL"     ? &curves.shortTerm
                                  : name == "TP Max" ? &curves.truePeakMax
                                                     : nullptr;
      if (curve == nullptr || !curve->empty()) continue;
      curve->assign(rows.size(), std::numeric_limits<float>::quiet_NaN());
      sources[i][static_cast<std::size_t>(index)] = {LinearScale::Of(plugin, index), curve};
    }
  }
  history.seconds.reserve(rows.size());
  for (std::size_t r = 0; r < rows.size(); ++r) {
    history.seconds.push_back(rows[r].seconds);
    for (const TimelineCell& cell : rows[r].cells) {
      const auto instance = static_cast<std::size_t>(cell.instance);
      const auto index = static_cast<std::size_t>(cell.index);
      if (instance >= sources.size() || index >= sources[instance].size()) continue;
      const Source& source = sources[instance][index];
      if (source.curve == nullptr) continue;
      const ValueAtResolution value = FullResolutionValue(source.scale, cell.normalized, cell.text);
      if (value.value) (*source.curve)[r] = static_cast<float>(*value.value);
    }
  }
  return history;
}

}  // namespace kalvo5::meter
