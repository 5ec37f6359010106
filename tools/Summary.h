// The library view: one row per file with the readings a loudness engineer
// compares across a library (for the EBU type: integrated loudness,
// loudness range, true-peak, momentary and short-term maxima), its duration
// and what became of it, and a total row for the files as one programme.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tools/MeterReport.h"

namespace kalvo5::meter {

struct SummaryColumn {
  std::string type;     // the analyzer type it is of when several are measured side by side
  std::string reading;  // the reading's name in every type ("IL" for "OUT:EBU IL")
  std::string heading;  // "I"
  std::string label;    // its unit, as the plug-in labels it
};

struct SummaryRow {
  std::string source;
  FileStatus status = FileStatus::kOk;
  std::string error;                                   // why it could not be read
  double seconds = 0;                                  // of audio measured
  std::vector<std::optional<ParameterReading>> cells;  // per column; none when the file lacks it
  std::optional<TargetReport> target;                  // with --target
  std::optional<double> samplePeak;                    // dBFS
  std::optional<double> plr;                           // LU
  std::optional<CheckReport> check;                    // with --check or --target
};

struct Summary {
  std::string type;  // the analyzer type summarized; empty when the plug-in names none
  std::vector<SummaryColumn> columns;
  std::vector<SummaryRow> rows;
  std::optional<SummaryRow> total;
  bool target = false;  // the rows carry --target's gain, true peak and ceiling verdict
  bool check = false;   // the rows carry a delivery check's verdict
};

// The summary of `files` (and their total when there is one). Each file
// contributes its EBU analyzer when it has one, else its first; with
// several types measured side by side, every type's columns in turn. Kalvo5's
// types have their own columns; any other plug-in's readings are all
// columns. Every row has the sample peak and the peak-to-loudness ratio;
// with --target, the gain, the true peak with it and whether that stays at
// or under the ceiling; with a delivery check, its verdict.
Summary Summarize(const std::vector<FileReport>& files, const FileReport* total);

// As a table, as CSV (a column of values at full resolution and one of
// displays per reading), and as the JSON object under "summary", whose
// closing brace is indented by `indent`.
void WriteSummaryTable(std::ostream& out, const Summary& summary);
void WriteSummaryCsv(std::ostream& out, const Summary& summary);
void WriteSummaryJson(std::ostream& out, const Summary& summary, const std::string& indent);

}  // namespace kalvo5::meter
