#include "tools/MeterReport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "tools/ParameterSetter.h"

namespace kalvo5::meter {
namespace {

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          out += escaped;
        } else {
          out += ch;
        }
    }
  }
  return out + "\"";
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
  std::string out = "\"";
  for (const char ch : text) {
    if (ch == '"') out += '"';
    out += ch;
  }
  return out + "\"";
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::size_t NameWidth(const std::vector<ParameterReading>& list, std::size_t atLeast) {
  std::size_t width = atLeast;
  for (const auto& p : list) width = std::max(width, p.name.size());
  return width;
}

void WriteRows(std::ostream& out, const std::vector<ParameterReading>& list, std::size_t width) {
  for (const auto& p : list) {
    out << "  " << p.name << std::string(width - p.name.size() + 2, ' ') << Trimmed(p.display);
    if (!p.label.empty()) out << "  " << p.label;
    out << '\n';
  }
}

void WriteJsonReadings(std::ostream& out, const std::vector<ParameterReading>& list) {
  out << "[";
  for (std::size_t i = 0; i < list.size(); ++i) {
    const auto& p = list[i];
    double number = 0.0;
    out << (i ? ",\n" : "\n") << "        {\"index\": " << p.index << ", \"name\": " << JsonString(p.name)
        << ", \"display\": " << JsonString(Trimmed(p.display)) << ", \"label\": " << JsonString(p.label)
        << ", \"value\": ";
    if (DisplayedNumber(p.display, number)) {
      char text[64];
      std::snprintf(text, sizeof text, "%.10g", number);
      out << text;
    } else {
      out << "null";
    }
    out << "}";
  }
  out << (list.empty() ? "]" : "\n      ]");
}

}  // namespace

bool DisplayedNumber(const std::string& display, double& number) {
  const std::string t = Trimmed(display);
  if (!LeadingNumber(t, number)) return false;
  // Only a display that is nothing but the number counts.
  const auto end = t.find_first_not_of("+-0123456789.eE", t[0] == '-' || t[0] == '+' ? 1 : 0);
  return end == std::string::npos;
}

void WriteTable(std::ostream& out, const PluginDescription& plugin, const std::vector<FileReport>& files) {
  out << (plugin.name.empty() ? plugin.product : plugin.name);
  if (!plugin.vendor.empty()) out << " by " << plugin.vendor;
  out << " (" << plugin.path << ", entry " << plugin.entry << ")\n";
  for (const auto& file : files) {
    out << '\n' << file.source << '\n';
    out << "  " << Fixed(file.sampleRate, 0) << " Hz, " << file.channels
        << (file.channels == 1 ? " channel, " : " channels, ")
        << Fixed(static_cast<double>(file.frames) / file.sampleRate, 3) << " s, blocks of " << file.blockSize
        << " frames, " << (file.doublePrecision ? "64" : "32") << "-bit processing\n";
    const std::size_t width = std::max(NameWidth(file.settings, 8), NameWidth(file.values, 8));
    if (!file.settings.empty()) {
      out << '\n';
      WriteRows(out, file.settings, width);
    }
    out << '\n';
    if (file.values.empty()) out << "  (the plug-in reported no values)\n";
    WriteRows(out, file.values, width);
    for (const auto& w : file.warnings) out << "  warning: " << w << '\n';
  }
}

void WriteJson(std::ostream& out, const PluginDescription& plugin, const std::vector<FileReport>& files) {
  out << "{\n  \"plugin\": {\"path\": " << JsonString(plugin.path)
      << ", \"entry\": " << JsonString(plugin.entry) << ", \"name\": " << JsonString(plugin.name)
      << ", \"vendor\": " << JsonString(plugin.vendor) << ", \"product\": " << JsonString(plugin.product)
      << ", \"parameters\": " << plugin.parameters << ", \"inputs\": " << plugin.inputs
      << ", \"outputs\": " << plugin.outputs << "},\n  \"results\": [";
  for (std::size_t f = 0; f < files.size(); ++f) {
    const auto& file = files[f];
    out << (f ? ",\n" : "\n") << "    {\n      \"source\": " << JsonString(file.source)
        << ",\n      \"sampleRate\": " << Fixed(file.sampleRate, 0)
        << ",\n      \"channels\": " << file.channels << ",\n      \"frames\": " << file.frames
        << ",\n      \"seconds\": " << Fixed(static_cast<double>(file.frames) / file.sampleRate, 6)
        << ",\n      \"blockSize\": " << file.blockSize
        << ",\n      \"precision\": " << (file.doublePrecision ? 64 : 32) << ",\n      \"settings\": ";
    WriteJsonReadings(out, file.settings);
    out << ",\n      \"values\": ";
    WriteJsonReadings(out, file.values);
    out << ",\n      \"warnings\": [";
    for (std::size_t w = 0; w < file.warnings.size(); ++w)
      out << (w ? ", " : "") << JsonString(file.warnings[w]);
    out << "]\n    }";
  }
  out << (files.empty() ? "]\n}\n" : "\n  ]\n}\n");
}

void WriteParameterList(std::ostream& out, const PluginDescription& plugin,
                        const std::vector<ParameterReading>& parameters) {
  out << (plugin.name.empty() ? plugin.product : plugin.name) << ": " << plugin.parameters << " parameters, "
      << plugin.inputs << " inputs, " << plugin.outputs << " outputs\n";
  const std::size_t width = NameWidth(parameters, 4);
  for (const auto& p : parameters) {
    char index[16];
    std::snprintf(index, sizeof index, "%4d ", p.index);
    out << index;
    WriteRows(out, {p}, width);
  }
}

void WriteTimelineCsv(std::ostream& out, const std::vector<ParameterReading>& columns,
                      const std::vector<TimelineRow>& rows) {
  out << "time";
  for (const auto& c : columns) out << ',' << CsvField(c.name);
  out << '\n';
  for (const auto& row : rows) {
    std::map<int, const std::string*> cells;
    for (const auto& [index, text] : row.values) cells[index] = &text;
    out << Fixed(row.seconds, 3);
    for (const auto& c : columns) {
      out << ',';
      if (const auto it = cells.find(c.index); it != cells.end()) out << CsvField(Trimmed(*it->second));
    }
    out << '\n';
  }
}

}  // namespace kalvo5::meter
