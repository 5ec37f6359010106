#include "tools/MeterReport.h"

#include <algorithm>
#include <cstdio>
#include <functional>

#include "tools/DeliveryCheck.h"
#include "tools/Summary.h"
#include "tools/TextFormat.h"

namespace kalvo5::meter {
namespace {

std::size_t NameWidth(const std::vector<ParameterReading>& list, std::size_t atLeast) {
  std::size_t width = atLeast;
  for (const auto& p : list) width = std::max(width, p.name.size());
  return width;
}

std::string Padded(const std::string& text, std::size_t width) {
  return text + std::string(width > text.size() ? width - text.size() : 0, ' ');
}

// An index right-aligned in the lists' first column.
std::string IndexColumn(int index) {
  char text[32];
  std::snprintf(text, sizeof text, "%4d ", index);
  return text;
}

std::string Cell(const ParameterReading& p) {
  if (p.unmeasured) return p.noValue;
  const std::string display = Trimmed(p.display);
  return p.label.empty() ? display : display + "  " + p.label;
}

void WriteRows(std::ostream& out, const std::vector<ParameterReading>& list, std::size_t width) {
  for (const auto& p : list) out << "  " << Padded(p.name, width + 2) << Cell(p) << '\n';
}

// The settings a table shows.
std::vector<ParameterReading> Shown(const std::vector<ParameterReading>& list) {
  std::vector<ParameterReading> shown;
  std::copy_if(list.begin(), list.end(), std::back_inserter(shown),
               [](const auto& p) { return !p.hostOnly; });
  return shown;
}

// Rows of readings side by side, one column per analyzer; `key` names the
// row a reading belongs to. Rows come in the order they first appear.
void WriteColumns(std::ostream& out, const std::string& heading, const std::vector<AnalyzerReport>& analyzers,
                  const std::function<std::vector<ParameterReading>(const AnalyzerReport&)>& list,
                  const std::function<std::string(const ParameterReading&, const AnalyzerReport&)>& key) {
  std::vector<std::string> rows;
  std::vector<std::vector<std::string>> cells;  // [row][analyzer]
  for (std::size_t a = 0; a < analyzers.size(); ++a) {
    for (const auto& p : list(analyzers[a])) {
      const std::string name = key(p, analyzers[a]);
      auto at = std::find(rows.begin(), rows.end(), name);
      if (at == rows.end()) {
        rows.push_back(name);
        cells.emplace_back(analyzers.size());
        at = rows.end() - 1;
      }
      cells[static_cast<std::size_t>(at - rows.begin())][a] = Cell(p);
    }
  }
  if (rows.empty()) return;
  std::size_t nameWidth = heading.size();
  for (const auto& r : rows) nameWidth = std::max(nameWidth, r.size());
  std::vector<std::size_t> widths;
  for (std::size_t a = 0; a < analyzers.size(); ++a) {
    std::size_t width = analyzers[a].type.size();
    for (const auto& row : cells) width = std::max(width, row[a].size());
    widths.push_back(width);
  }
  auto line = [&](const std::string& name, auto&& column) {
    std::string text = "  " + Padded(name, nameWidth + 2);
    for (std::size_t a = 0; a < analyzers.size(); ++a) text += Padded(column(a), widths[a] + 3);
    out << text.substr(0, text.find_last_not_of(' ') + 1) << '\n';
  };
  out << '\n';
  line(heading, [&](std::size_t a) { return analyzers[a].type; });
  for (std::size_t r = 0; r < rows.size(); ++r) line(rows[r], [&](std::size_t a) { return cells[r][a]; });
}

// Readings as a JSON array. Readings (not settings) without a number say why,
// and their display is "n/a": the plug-in's text would pass for a number.
void WriteJsonReadings(std::ostream& out, const std::vector<ParameterReading>& list,
                       const std::string& indent, bool readings) {
  out << "[";
  for (std::size_t i = 0; i < list.size(); ++i) {
    const auto& p = list[i];
    const bool noValue = readings && !p.noValue.empty();
    out << (i ? ",\n" : "\n") << indent << "  {\"index\": " << p.index << ", \"name\": " << JsonString(p.name)
        << ", \"display\": " << JsonString(noValue ? "n/a" : Trimmed(p.display))
        << ", \"label\": " << JsonString(p.label) << ", \"value\": ";
    if (!p.noValue.empty()) {
      out << "null, \"reason\": " << JsonString(p.noValue);
    } else if (p.value.value) {
      out << ValueText(p.value);
    } else {
      out << (readings ? "null, \"reason\": \"the display is not a number\"" : "null");
    }
    out << "}";
  }
  out << (list.empty() ? "]" : "\n" + indent + "]");
}

// "settings" and "values" of one analyzer at this indentation.
void WriteJsonAnalyzer(std::ostream& out, const AnalyzerReport& analyzer, const std::string& indent) {
  out << indent << "\"settings\": ";
  WriteJsonReadings(out, analyzer.settings, indent, false);
  out << ",\n" << indent << "\"values\": ";
  WriteJsonReadings(out, analyzer.values, indent, true);
}

// A value and its display as a JSON object, or null.
std::string JsonValue(const std::optional<ParameterReading>& p) {
  if (!p) return "null";
  return "{\"value\": " + (p->value.value ? ValueText(p->value) : "null") +
         ", \"display\": " + JsonString(Trimmed(p->display)) + ", \"label\": " + JsonString(p->label) + "}";
}

void WriteJsonTarget(std::ostream& out, const TargetReport& t) {
  out << "{\"loudness\": " << JsonValue(t.target) << ", \"ceiling\": " << Fixed(t.ceiling, 2)
      << ", \"gain\": " << JsonValue(t.gain) << ", \"loudnessAfter\": " << JsonNumber(t.loudnessAfter, 2)
      << ", \"truePeakAfter\": " << JsonNumber(t.truePeakAfter, 2)
      << ", \"withinCeiling\": " << (t.truePeakAfter ? (t.OverCeiling() ? "false" : "true") : "null");
  if (!t.noGain.empty()) out << ", \"reason\": " << JsonString(t.noGain);
  out << "}";
}

// The delivery check: the verdict, and each criterion with what was read.
void WriteJsonCheck(std::ostream& out, const CheckReport& check) {
  out << "{\"profile\": " << JsonString(check.profile) << ", \"pass\": " << (check.pass ? "true" : "false")
      << ", \"criteria\": [";
  for (std::size_t i = 0; i < check.findings.size(); ++i) {
    const CheckFinding& f = check.findings[i];
    out << (i ? ", " : "") << "{\"criterion\": " << JsonString(f.criterion)
        << ", \"value\": " << JsonNumber(f.measured, 1) << ", \"unit\": " << JsonString(f.unit)
        << ", \"pass\": " << (f.pass ? "true" : "false") << ", \"by\": " << JsonNumber(f.by, 1);
    if (!f.words.empty()) out << ", \"failure\": " << JsonString(f.words);
    out << "}";
  }
  out << "]}";
}

// One source as a JSON object whose closing brace is indented by `indent`.
void WriteJsonResult(std::ostream& out, const FileReport& file, const std::string& indent) {
  const std::string in = indent + "  ";
  out << "{\n"
      << in << "\"source\": " << JsonString(file.source) << ",\n"
      << in << "\"status\": " << JsonString(StatusText(file.Status())) << ",\n";
  if (file.Status() == FileStatus::kUnreadable) {
    out << in << "\"error\": " << JsonString(file.error) << "\n" << indent << "}";
    return;
  }
  out << in << "\"sampleRate\": " << Fixed(file.sampleRate, 0) << ",\n"
      << in << "\"channels\": " << file.channels << ",\n"
      << in << "\"frames\": " << file.frames << ",\n"
      << in << "\"seconds\": " << Fixed(static_cast<double>(file.frames) / file.sampleRate, 6) << ",\n"
      << in << "\"blockSize\": " << file.blockSize << ",\n"
      << in << "\"precision\": " << (file.doublePrecision ? 64 : 32) << ",\n";
  if (file.analyzers.size() == 1) {
    WriteJsonAnalyzer(out, file.analyzers.front(), in);
  } else {
    out << in << "\"types\": {";
    for (std::size_t a = 0; a < file.analyzers.size(); ++a) {
      out << (a ? ",\n" : "\n") << in << "  " << JsonString(file.analyzers[a].type) << ": {\n";
      WriteJsonAnalyzer(out, file.analyzers[a], in + "    ");
      out << "\n" << in << "  }";
    }
    out << "\n" << in << "}";
  }
  out << ",\n"
      << in << "\"samplePeak\": " << JsonNumber(file.samplePeak, 2) << ",\n"
      << in << "\"plr\": " << JsonNumber(PeakToLoudnessRatio(file), 2);
  if (file.target) {
    out << ",\n" << in << "\"target\": ";
    WriteJsonTarget(out, *file.target);
  }
  if (file.check) {
    out << ",\n" << in << "\"check\": ";
    WriteJsonCheck(out, *file.check);
  }
  out << ",\n"
      << in << "\"damaged\": " << (file.damaged ? "true" : "false") << ",\n"
      << in << "\"warnings\": [";
  for (std::size_t w = 0; w < file.warnings.size(); ++w)
    out << (w ? ", " : "") << JsonString(file.warnings[w]);
  out << "]\n" << indent << "}";
}

// What --target found, below the readings.
void WriteTableTarget(std::ostream& out, const TargetReport& t) {
  const auto row = [&](const std::string& name, const std::string& text) {
    out << "  " << Padded(name, 18) << text << '\n';
  };
  out << '\n';
  row("target", (t.target ? Cell(*t.target) : "?") + ", true-peak ceiling " + Fixed(t.ceiling, 1) + " dBTP");
  if (!t.gain) {
    row("gain", "none: " + t.noGain);
    return;
  }
  row("gain", Cell(*t.gain) + " (" + t.gain->name + ")");
  if (t.loudnessAfter) row("I with the gain", Fixed(*t.loudnessAfter, 1) + "  LUFS");
  if (t.truePeakAfter) {
    row("TP with the gain", Fixed(*t.truePeakAfter, 1) + "  dBTP, " +
                                (t.OverCeiling() ? "over" : "at or under") + " the ceiling");
  }
}

// The sample peak and the peak-to-loudness ratio, below the readings.
void WriteTablePeaks(std::ostream& out, const FileReport& file) {
  out << '\n'
      << "  " << Padded("sample peak", 18)
      << (file.samplePeak ? Fixed(*file.samplePeak, 1) + "  dBFS" : "-inf  dBFS") << '\n';
  if (const auto plr = PeakToLoudnessRatio(file))
    out << "  " << Padded("PLR", 18) << Fixed(*plr, 1) << "  LU\n";
}

// The delivery check: the verdict, then each failed criterion.
void WriteTableCheck(std::ostream& out, const CheckReport& check) {
  out << '\n'
      << "  " << Padded("check", 18) << (check.pass ? "pass" : "fail") << " (" << check.profile << ")\n";
  for (const auto& f : check.findings) {
    if (!f.pass) out << "  " << Padded("", 18) << f.words << '\n';
  }
}

// One measured source: what it is, then its readings.
void WriteTableResult(std::ostream& out, const FileReport& file) {
  out << '\n' << file.source << '\n';
  out << "  " << Fixed(file.sampleRate, 0) << " Hz, " << file.channels
      << (file.channels == 1 ? " channel, " : " channels, ")
      << Fixed(static_cast<double>(file.frames) / file.sampleRate, 3) << " s, blocks of " << file.blockSize
      << " frames, " << (file.doublePrecision ? "64" : "32") << "-bit processing\n";
  if (file.frames == 0) {
    out << "\n  no audio: the file holds no frames, so there is nothing to measure\n";
  } else if (file.analyzers.size() == 1) {
    const AnalyzerReport& only = file.analyzers.front();
    const std::vector<ParameterReading> settings = Shown(only.settings);
    const std::size_t width = std::max(NameWidth(settings, 8), NameWidth(only.values, 8));
    if (!settings.empty()) {
      out << '\n';
      WriteRows(out, settings, width);
    }
    out << '\n';
    if (only.values.empty()) out << "  (the plug-in reported no values)\n";
    WriteRows(out, only.values, width);
  } else {
    WriteColumns(
        out, "setting", file.analyzers, [](const AnalyzerReport& a) { return Shown(a.settings); },
        [](const ParameterReading& p, const AnalyzerReport&) { return p.name; });
    WriteColumns(
        out, "reading", file.analyzers, [](const AnalyzerReport& a) { return a.values; },
        [](const ParameterReading& p, const AnalyzerReport& a) { return MeasureName(p.name, a.type); });
  }
  if (file.frames > 0) WriteTablePeaks(out, file);
  if (file.target) WriteTableTarget(out, *file.target);
  if (file.check) WriteTableCheck(out, *file.check);
  for (const auto& w : file.warnings) out << "  warning: " << w << '\n';
}

}  // namespace

const char* StatusText(FileStatus status) {
  switch (status) {
    case FileStatus::kOk:
      return "ok";
    case FileStatus::kDamaged:
      return "damaged";
    case FileStatus::kNoAudio:
      return "no audio";
    case FileStatus::kUnreadable:
      return "unreadable";
  }
  return "";
}

FileStatus FileReport::Status() const {
  if (!error.empty()) return FileStatus::kUnreadable;
  if (damaged) return FileStatus::kDamaged;
  return frames == 0 ? FileStatus::kNoAudio : FileStatus::kOk;
}

std::string MeasureName(const std::string& name, const std::string& type) {
  std::string rest = name.starts_with("OUT:") ? name.substr(4) : name;
  return StartsWithWord(rest, type) ? rest.substr(type.size() + 1) : rest;
}

void WriteTableHeading(std::ostream& out, const PluginDescription& plugin) {
  out << (plugin.name.empty() ? plugin.product : plugin.name);
  if (!plugin.vendor.empty()) out << " by " << plugin.vendor;
  out << " (" << plugin.path << ", entry " << plugin.entry << ")\n";
}

void WriteTableResults(std::ostream& out, const std::vector<FileReport>& files, const FileReport* total) {
  for (const auto& file : files) {
    if (file.Status() != FileStatus::kUnreadable) WriteTableResult(out, file);
  }
  if (total != nullptr) WriteTableResult(out, *total);
}

void WriteJson(std::ostream& out, const PluginDescription& plugin, const std::vector<FileReport>& files,
               const FileReport* total, const Summary* summary) {
  out << "{\n  \"schemaVersion\": " << kJsonSchemaVersion
      << ",\n  \"plugin\": {\"path\": " << JsonString(plugin.path)
      << ", \"entry\": " << JsonString(plugin.entry) << ", \"name\": " << JsonString(plugin.name)
      << ", \"vendor\": " << JsonString(plugin.vendor) << ", \"product\": " << JsonString(plugin.product)
      << ", \"parameters\": " << plugin.parameters << ", \"inputs\": " << plugin.inputs
      << ", \"outputs\": " << plugin.outputs << "},\n  \"results\": [";
  for (std::size_t f = 0; f < files.size(); ++f) {
    out << (f ? ",\n" : "\n") << "    ";
    WriteJsonResult(out, files[f], "    ");
  }
  out << (files.empty() ? "]" : "\n  ]");
  if (total != nullptr) {
    out << ",\n  \"total\": ";
    WriteJsonResult(out, *total, "  ");
  }
  if (summary != nullptr) {
    out << ",\n  \"summary\": ";
    WriteSummaryJson(out, *summary, "  ");
  }
  out << "\n}\n";
}

void WriteParameterList(std::ostream& out, const PluginDescription& plugin,
                        const std::vector<ParameterReading>& parameters,
                        const std::vector<std::string>& choices) {
  out << (plugin.name.empty() ? plugin.product : plugin.name) << ": " << plugin.parameters << " parameters, "
      << plugin.inputs << " inputs, " << plugin.outputs << " outputs\n";
  const std::size_t width = NameWidth(parameters, 4);
  std::size_t cellWidth = 0;
  for (const auto& p : parameters) cellWidth = std::max(cellWidth, Cell(p).size());
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    const auto& p = parameters[i];
    std::string line =
        IndexColumn(p.index) + "  " + Padded(p.name, width + 2) + Padded(Cell(p), cellWidth + 2);
    if (i < choices.size()) line += "[" + choices[i] + "]";
    out << line.substr(0, line.find_last_not_of(' ') + 1) << '\n';
  }
}

void WriteProgramList(std::ostream& out, const PluginDescription& plugin,
                      const std::vector<std::string>& names) {
  out << (plugin.name.empty() ? plugin.product : plugin.name) << ": " << names.size()
      << (names.size() == 1 ? " program\n" : " programs\n");
  for (std::size_t i = 0; i < names.size(); ++i)
    out << IndexColumn(static_cast<int>(i)) << "  " << names[i] << '\n';
}

}  // namespace kalvo5::meter
