// What one page of the loudness report shows, worked out from a file's
// report before anything is drawn: the texts, one graph per analyzer type
// and the scales of its axes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/LoudnessReport.h"

namespace kalvo5::meter {

struct AxisTick {
  double value = 0.0;
  std::string label;
};

struct ReportAxis {
  double low = 0.0, high = 1.0;
  std::vector<AxisTick> ticks;
  std::string title;  // "LUFS", "time (s)"
};

// One analyzer type's graph.
struct ReportGraph {
  std::string type;  // "EBU"; empty when the plug-in names no types
  std::string unit;  // of its loudness readings: "LUFS", "dBFS", "LKFS"
  // The curves at the history's moments (empty for a reading the type does
  // not make), drawn from the moment their windows are full.
  const std::vector<float>* momentary = nullptr;
  const std::vector<float>* shortTerm = nullptr;
  double momentaryFrom = 0.0, shortTermFrom = 0.0;  // seconds
  std::optional<double> integrated;
  std::optional<double> rangeLow, rangeHigh;  // the loudness range's band
  std::optional<double> truePeak, truePeakSeconds;
  // From the check, on the graph of the type it concerns.
  std::optional<double> bandLow, bandHigh, ceiling;
  // The header's readings of this type: "I", "-23.0 LUFS".
  std::vector<std::pair<std::string, std::string>> readings;
  ReportAxis level;
};

struct ReportPage {
  std::string title;    // the file as the run named it
  std::string facts;    // duration, rate, channels, status
  std::string problem;  // why there is no graph (unreadable, no audio); empty when there is
  std::optional<bool> passed;
  std::string verdict;
  const std::vector<double>* seconds = nullptr;  // the moments of the curves
  double duration = 0.0;                         // seconds
  ReportAxis time;
  std::vector<ReportGraph> graphs;
};

ReportPage PageOf(const ReportPageInput& input);

// The low end of the loudness range: the 10th percentile of the short-term
// loudness above the absolute gate (-70) and the relative one (20 LU under
// their power mean), as the range itself is measured. None without such
// values.
std::optional<double> LoudnessRangeLow(const std::vector<float>& shortTerm,
                                       const std::vector<double>& seconds, double from);

// A level axis from `low` to `high` (the values to show), on whole 5 dB,
// with ticks every 5 or 10 dB.
ReportAxis LevelAxis(double low, double high, const std::string& title);

// A time axis from 0 to `seconds` with round ticks: in seconds up to two
// minutes, as a clock (m:ss, h:mm:ss) above.
ReportAxis TimeAxis(double seconds);

// A text with its minus signs as typeset (U+2212): "-23.0" becomes "−23.0".
std::string Typeset(const std::string& text);

}  // namespace kalvo5::meter
