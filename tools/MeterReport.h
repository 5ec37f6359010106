// What the meter command prints: a readable table or JSON of the values the
// plug-in reports, a CSV timeline, and the parameter list.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "tools/RenderLoop.h"

namespace kalvo5::meter {

struct PluginDescription {
  std::string path, entry, name, vendor, product;
  int parameters = 0, inputs = 0, outputs = 0;
};

// One parameter as the plug-in shows it.
struct ParameterReading {
  int index = 0;
  std::string name, display, label;
};

struct FileReport {
  std::string source;
  double sampleRate = 0.0;
  int channels = 0;
  std::int64_t frames = 0;
  int blockSize = 0;
  bool doublePrecision = true;
  std::vector<ParameterReading> settings;  // parameters this run set
  std::vector<ParameterReading> values;    // the plug-in's reported values
  std::vector<std::string> warnings;
};

void WriteTable(std::ostream& out, const PluginDescription& plugin, const std::vector<FileReport>& files);
void WriteJson(std::ostream& out, const PluginDescription& plugin, const std::vector<FileReport>& files);
void WriteParameterList(std::ostream& out, const PluginDescription& plugin,
                        const std::vector<ParameterReading>& parameters);

// "time" in seconds and one column per parameter in `columns` (index order);
// a cell stays empty until the plug-in has written that parameter.
void WriteTimelineCsv(std::ostream& out, const std::vector<ParameterReading>& columns,
                      const std::vector<TimelineRow>& rows);

// The number a display shows when the whole text is one number; else false.
bool DisplayedNumber(const std::string& display, double& number);

}  // namespace kalvo5::meter
