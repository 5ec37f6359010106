// Measuring a list of audio files by worker threads, each with plug-in
// instances of its own; without files, the reference signal.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "tools/BatchProgress.h"
#include "tools/MeterOptions.h"
#include "tools/MeterReport.h"
#include "tools/PluginLibrary.h"

namespace kalvo5::meter {

struct FileOutcome {
  FileReport report;              // its source is set even when the file could not be read
  PluginDescription description;  // set once an instance could be created
  int code = 0;                   // an ExitCode
  std::string error;
};

struct BatchJob {
  const MeterOptions& options;
  const PluginLibrary& library;
  const std::vector<std::uint8_t>& presetChunk;  // empty: no preset file
  std::ostream& out;                             // the timeline when it goes to standard output
  BatchProgress& progress;
};

// One outcome per file, in the order of `files` whatever order they finish
// in; a single outcome for the reference signal when `files` is empty.
// `workers` threads measure at once (at most one per file).
std::vector<FileOutcome> MeasureFiles(const BatchJob& job, const std::vector<std::string>& files,
                                      std::size_t workers);

}  // namespace kalvo5::meter
