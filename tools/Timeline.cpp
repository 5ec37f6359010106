#include "tools/Timeline.h"

#include <algorithm>
#include <map>
#include <utility>

#include "tools/TextFormat.h"

namespace kalvo5::meter {

TimelineRow TakeTimelineRow(const std::vector<PluginInstance*>& instances, double seconds) {
  TimelineRow row;
  row.seconds = seconds;
  for (std::size_t i = 0; i < instances.size(); ++i) {
    const PluginInstance& plugin = *instances[i];
    const AutomationRecorder& automation = plugin.Host().Automation();
    for (int index : automation.WrittenIndices()) {
      const float normalized = automation.Latest(index);
      row.cells.push_back({static_cast<int>(i), index, normalized, plugin.DisplayOfValue(index, normalized)});
    }
  }
  return row;
}

std::vector<TimelineColumn> TimelineColumns(const std::vector<PluginInstance*>& instances,
                                            const std::vector<std::string>& labels) {
  std::vector<TimelineColumn> columns;
  std::map<std::string, int> uses;
  for (std::size_t i = 0; i < instances.size(); ++i) {
    for (int index : instances[i]->Host().Automation().WrittenIndices()) {
      columns.push_back({static_cast<int>(i), index, instances[i]->ParameterName(index),
                         LinearScale::Of(*instances[i], index)});
      ++uses[columns.back().name];
    }
  }
  for (auto& column : columns) {
    const auto label = static_cast<std::size_t>(column.instance);
    if (uses[column.name] > 1 && label < labels.size()) column.name = labels[label] + " " + column.name;
  }
  return columns;
}

void WriteTimelineCsv(std::ostream& out, const std::vector<TimelineColumn>& columns,
                      const std::vector<TimelineRow>& rows) {
  out << "time";
  for (const auto& c : columns) out << ',' << CsvField(c.name) << ',' << CsvField(c.name + " display");
  out << '\n';
  for (const auto& row : rows) {
    std::map<std::pair<int, int>, const TimelineCell*> cells;
    for (const auto& cell : row.cells) cells[{cell.instance, cell.index}] = &cell;
    // Microseconds: the exact moment of each row, also at rates whose 50 ms
    // period is no whole number of frames (1102 frames at 22.05 kHz).
    out << Fixed(row.seconds, 6);
    for (const auto& c : columns) {
      out << ',';
      if (const auto it = cells.find({c.instance, c.index}); it != cells.end()) {
        const TimelineCell& cell = *it->second;
        out << ValueText(FullResolutionValue(c.scale, cell.normalized, cell.text)) << ','
            << CsvField(Trimmed(cell.text));
      } else {
        out << ',';
      }
    }
    out << '\n';
  }
}

}  // namespace kalvo5::meter
