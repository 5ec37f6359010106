// The loudness over time of one measured source, kept for the loudness
// report: the momentary and short-term loudness and the true-peak maximum
// each instance had written at every 50 ms timeline row.
#pragma once

#include <string>
#include <vector>

namespace kalvo5::meter {

class PluginInstance;
struct TimelineRow;

// One instance's readings, one value per timeline row; NaN where the row
// held no number. A reading the instance does not make leaves its curve
// empty.
struct LoudnessCurves {
  std::string type;                // the analyzer type; empty when none was set
  std::vector<float> momentary;    // "ML", in the reading's own unit (LUFS, dBFS)
  std::vector<float> shortTerm;    // "SL"
  std::vector<float> truePeakMax;  // "TP Max", dBTP: the highest so far
};

struct LoudnessHistory {
  std::vector<double> seconds;         // the moment each row was taken
  std::vector<LoudnessCurves> curves;  // per instance, in the render's order
};

// Reduces the rows a render took (RenderOptions::timeline) to the curves of
// `instances`, measured as `types`; values at full resolution.
LoudnessHistory ReduceTimeline(const std::vector<PluginInstance*>& instances,
                               const std::vector<std::string>& types, const std::vector<TimelineRow>& rows);

}  // namespace kalvo5::meter
