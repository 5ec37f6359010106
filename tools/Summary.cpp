#include "tools/Summary.h"

#include <algorithm>

#include "tools/DeliveryCheck.h"
#include "tools/InstanceSetup.h"
#include "tools/KeyReadings.h"
#include "tools/TextFormat.h"

namespace kalvo5::meter {
namespace {

const AnalyzerReport* SummarizedAnalyzer(const FileReport& file) {
  for (const auto& a : file.analyzers) {
    if (SameText(a.type, kLoudnessType)) return &a;
  }
  return file.analyzers.empty() ? nullptr : &file.analyzers.front();
}

// The analyzer a column reads in a file.
const AnalyzerReport* AnalyzerOf(const FileReport& file, const SummaryColumn& column) {
  if (column.type.empty()) return SummarizedAnalyzer(file);
  for (const auto& a : file.analyzers) {
    if (a.type == column.type) return &a;
  }
  return nullptr;
}

const ParameterReading* FindReading(const AnalyzerReport& analyzer, const std::string& reading) {
  for (const auto& p : analyzer.values) {
    if (MeasureName(p.name, analyzer.type) == reading) return &p;
  }
  return nullptr;
}

// The columns of one analyzer; `type` names it when it is one of several.
void AddColumns(const AnalyzerReport& a, const std::string& type, Summary& summary) {
  const std::string prefix = type.empty() ? "" : type + " ";
  if (const KeyReadingList* known = KeyReadingsOf(a.type)) {
    for (const auto& [reading, heading] : *known)
      summary.columns.push_back({type, reading, prefix + heading, ""});
  } else {
    for (const auto& p : a.values) {
      const std::string name = MeasureName(p.name, a.type);
      summary.columns.push_back({type, name, prefix + name, ""});
    }
  }
}

// The columns of the first file that reports readings.
void ChooseColumns(const std::vector<FileReport>& files, Summary& summary) {
  for (const auto& file : files) {
    const AnalyzerReport* a = SummarizedAnalyzer(file);
    if (a == nullptr || a->values.empty()) continue;
    if (file.analyzers.size() == 1) {
      summary.type = a->type;
      AddColumns(*a, "", summary);
      return;
    }
    for (const auto& each : file.analyzers) {
      summary.type += (summary.type.empty() ? "" : ", ") + each.type;
      AddColumns(each, each.type, summary);
    }
    return;
  }
}

SummaryRow RowOf(const FileReport& file, std::vector<SummaryColumn>& columns) {
  SummaryRow row;
  row.source = file.source;
  row.status = file.Status();
  row.error = file.error;
  row.target = file.target;
  row.samplePeak = file.samplePeak;
  row.plr = PeakToLoudnessRatio(file);
  row.check = file.check;
  if (file.sampleRate > 0) row.seconds = static_cast<double>(file.frames) / file.sampleRate;
  for (auto& column : columns) {
    const AnalyzerReport* a = AnalyzerOf(file, column);
    const ParameterReading* p = a != nullptr ? FindReading(*a, column.reading) : nullptr;
    row.cells.push_back(p != nullptr ? std::optional<ParameterReading>(*p) : std::nullopt);
    if (p != nullptr && column.label.empty()) column.label = p->label;
  }
  return row;
}

bool HasValue(const std::optional<ParameterReading>& cell) {
  return cell && cell->noValue.empty() && cell->value.value;
}

std::string Heading(const SummaryColumn& column) {
  return column.label.empty() ? column.heading : column.heading + " (" + column.label + ")";
}

void WriteTableRow(std::ostream& out, const std::vector<std::string>& cells,
                   const std::vector<std::size_t>& widths) {
  std::string line;
  for (std::size_t c = 0; c < cells.size(); ++c) {
    const std::size_t pad = widths[c] > cells[c].size() ? widths[c] - cells[c].size() : 0;
    // The file and the status read from the left, numbers from the right.
    const bool left = c == 0 || c + 1 == cells.size();
    line += "  " + (left ? cells[c] + std::string(pad, ' ') : std::string(pad, ' ') + cells[c]);
  }
  out << line.substr(0, line.find_last_not_of(' ') + 1) << '\n';
}

// "pass" or "fail"; empty without a check.
std::string CheckVerdict(const SummaryRow& row) {
  if (!row.check) return "";
  return row.check->pass ? "pass" : "fail";
}

// The failed criteria, "; " between them.
std::string CheckFailures(const SummaryRow& row) {
  std::string text;
  if (!row.check) return text;
  for (const auto& f : row.check->findings) {
    if (!f.pass) text += (text.empty() ? "" : "; ") + f.words;
  }
  return text;
}

// "ok" when the true peak with the gain stays at or under the ceiling.
std::string CeilingVerdict(const std::optional<TargetReport>& t) {
  if (!t || !t->truePeakAfter) return "";
  return t->OverCeiling() ? "over" : "ok";
}

std::vector<std::string> TableCells(const Summary& summary, const SummaryRow& row) {
  std::vector<std::string> cells{row.source};
  for (const auto& cell : row.cells) cells.push_back(HasValue(cell) ? Trimmed(cell->display) : "-");
  const bool measured = row.status != FileStatus::kUnreadable && row.status != FileStatus::kNoAudio;
  cells.push_back(row.samplePeak ? Fixed(*row.samplePeak, 1) : measured ? "-inf" : "-");
  cells.push_back(row.plr ? Fixed(*row.plr, 1) : "-");
  if (summary.target) {
    const auto& t = row.target;
    cells.push_back(t && t->gain ? Trimmed(t->gain->display) : "-");
    cells.push_back(t && t->truePeakAfter ? Fixed(*t->truePeakAfter, 1) : "-");
    const std::string verdict = CeilingVerdict(t);
    cells.push_back(verdict.empty() ? "-" : verdict);
  }
  if (summary.check) cells.push_back(row.check ? (row.check->pass ? "pass" : "fail") : "-");
  cells.push_back(row.status == FileStatus::kUnreadable ? "-" : ClockTime(row.seconds, 1));
  cells.push_back(StatusText(row.status));
  return cells;
}

void WriteCsvRow(std::ostream& out, const Summary& summary, const SummaryRow& row) {
  out << CsvField(row.source) << ',' << Fixed(row.seconds, 6) << ',' << CsvField(StatusText(row.status));
  // A display without a value is left out.
  for (const auto& cell : row.cells) {
    out << ',' << (HasValue(cell) ? ValueText(cell->value) : "") << ','
        << (HasValue(cell) ? CsvField(Trimmed(cell->display)) : "");
  }
  out << ',' << JsonNumber(row.samplePeak, 2) << ',' << JsonNumber(row.plr, 2);
  if (summary.target) {
    const auto& t = row.target;
    const bool gain = t && t->gain;
    out << ',' << (gain ? ValueText(t->gain->value) : "") << ','
        << (gain ? CsvField(Trimmed(t->gain->display)) : "") << ','
        << (t && t->truePeakAfter ? Fixed(*t->truePeakAfter, 2) : "") << ',' << CeilingVerdict(t);
  }
  if (summary.check) out << ',' << CheckVerdict(row) << ',' << CsvField(CheckFailures(row));
  out << '\n';
}

void WriteJsonRow(std::ostream& out, const Summary& summary, const SummaryRow& row) {
  out << "{\"source\": " << JsonString(row.source) << ", \"status\": " << JsonString(StatusText(row.status));
  if (row.status == FileStatus::kUnreadable) {
    out << ", \"error\": " << JsonString(row.error) << "}";
    return;
  }
  out << ", \"seconds\": " << Fixed(row.seconds, 6) << ", \"samplePeak\": " << JsonNumber(row.samplePeak, 2)
      << ", \"plr\": " << JsonNumber(row.plr, 2);
  for (std::size_t c = 0; c < summary.columns.size(); ++c) {
    const auto& cell = row.cells[c];
    out << ", " << JsonString(summary.columns[c].heading) << ": ";
    if (!cell) {
      out << "null";
      continue;
    }
    out << "{\"value\": " << (HasValue(cell) ? ValueText(cell->value) : "null")
        << ", \"display\": " << JsonString(HasValue(cell) ? Trimmed(cell->display) : "n/a");
    if (!cell->noValue.empty()) out << ", \"reason\": " << JsonString(cell->noValue);
    out << "}";
  }
  if (summary.target) {
    const auto& t = row.target;
    out << ", \"gain\": ";
    if (t && t->gain) {
      out << "{\"value\": " << (t->gain->value.value ? ValueText(t->gain->value) : "null")
          << ", \"display\": " << JsonString(Trimmed(t->gain->display)) << "}";
    } else {
      out << "null";
    }
    out << ", \"truePeakAfter\": " << JsonNumber(t ? t->truePeakAfter : std::nullopt, 2)
        << ", \"withinCeiling\": "
        << (CeilingVerdict(t).empty() ? "null"
            : t->OverCeiling()        ? "false"
                                      : "true");
  }
  if (summary.check) {
    out << ", \"check\": " << (row.check ? JsonString(CheckVerdict(row)) : "null");
    if (row.check && !row.check->pass) out << ", \"failures\": " << JsonString(CheckFailures(row));
  }
  out << "}";
}

}  // namespace

Summary Summarize(const std::vector<FileReport>& files, const FileReport* total) {
  Summary summary;
  ChooseColumns(files, summary);
  for (const auto& file : files) {
    summary.rows.push_back(RowOf(file, summary.columns));
    summary.target = summary.target || file.target.has_value();
    summary.check = summary.check || file.check.has_value();
  }
  if (total != nullptr) {
    summary.total = RowOf(*total, summary.columns);
    summary.total->source = "total";
  }
  return summary;
}

void WriteSummaryTable(std::ostream& out, const Summary& summary) {
  std::vector<std::string> heading{"file"};
  for (const auto& column : summary.columns) heading.push_back(Heading(column));
  heading.insert(heading.end(), {"peak (dBFS)", "PLR (LU)"});
  if (summary.target) heading.insert(heading.end(), {"gain", "TP after (dBTP)", "ceiling"});
  if (summary.check) heading.push_back("check");
  heading.insert(heading.end(), {"duration", "status"});
  std::vector<std::vector<std::string>> rows;
  for (const auto& row : summary.rows) rows.push_back(TableCells(summary, row));
  if (summary.total) rows.push_back(TableCells(summary, *summary.total));
  std::vector<std::size_t> widths;
  for (const auto& h : heading) widths.push_back(h.size());
  for (const auto& row : rows) {
    for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
  }
  out << '\n';
  WriteTableRow(out, heading, widths);
  for (const auto& row : rows) WriteTableRow(out, row, widths);
}

void WriteSummaryCsv(std::ostream& out, const Summary& summary) {
  out << "file,seconds,status";
  for (const auto& column : summary.columns) {
    out << ',' << CsvField(column.heading) << ',' << CsvField(column.heading + " display");
  }
  out << ",peak,PLR";
  if (summary.target) out << ",gain,gain display,TP after,ceiling";
  if (summary.check) out << ",check,check failures";
  out << '\n';
  for (const auto& row : summary.rows) WriteCsvRow(out, summary, row);
  if (summary.total) WriteCsvRow(out, summary, *summary.total);
}

void WriteSummaryJson(std::ostream& out, const Summary& summary, const std::string& indent) {
  const std::string in = indent + "  ";
  out << "{\n" << in << "\"type\": " << JsonString(summary.type) << ",\n" << in << "\"columns\": [";
  for (std::size_t c = 0; c < summary.columns.size(); ++c) {
    const auto& column = summary.columns[c];
    out << (c ? ", " : "") << "{\"name\": " << JsonString(column.heading)
        << ", \"reading\": " << JsonString(column.reading) << ", \"label\": " << JsonString(column.label)
        << "}";
  }
  out << "],\n" << in << "\"rows\": [";
  for (std::size_t r = 0; r < summary.rows.size(); ++r) {
    out << (r ? ",\n" : "\n") << in << "  ";
    WriteJsonRow(out, summary, summary.rows[r]);
  }
  out << (summary.rows.empty() ? "]" : "\n" + in + "]");
  if (summary.total) {
    out << ",\n" << in << "\"total\": ";
    WriteJsonRow(out, summary, *summary.total);
  }
  out << "\n" << indent << "}";
}

}  // namespace kalvo5::meter
