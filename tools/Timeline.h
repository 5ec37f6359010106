// The CSV timeline: the values the plug-in instances have written as
// automation, taken at every automation period of the audio.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tools/ParameterValue.h"
#include "tools/PluginInstance.h"

namespace kalvo5::meter {

// Parameter `index` of instance `instance` (its place in the render).
struct TimelineCell {
  int instance = 0;
  int index = 0;
  float normalized = 0.0f;
  std::string text;
};

struct TimelineRow {
  double seconds = 0.0;
  std::vector<TimelineCell> cells;
};

struct TimelineColumn {
  int instance = 0;
  int index = 0;
  std::string name;
  std::optional<LinearScale> scale;  // for the value at full resolution
};

// The display of every value each instance has written so far.
TimelineRow TakeTimelineRow(const std::vector<PluginInstance*>& instances, double seconds);

// One column per parameter each instance wrote, instance by instance in
// index order. A name that more than one instance wrote is prefixed with
// that instance's label ("EBU OUT:Sum").
std::vector<TimelineColumn> TimelineColumns(const std::vector<PluginInstance*>& instances,
                                            const std::vector<std::string>& labels);

// "time" in seconds (to the microsecond) and two columns per parameter: its
// value at full resolution ("OUT:EBU IL") and its display beside it
// ("OUT:EBU IL display"); a cell stays empty until its parameter has been
// written, a value also when the display shows no number.
void WriteTimelineCsv(std::ostream& out, const std::vector<TimelineColumn>& columns,
                      const std::vector<TimelineRow>& rows);

}  // namespace kalvo5::meter
