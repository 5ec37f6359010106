// Measuring one audio source: the plug-in instances (one per analyzer type)
// created and set up for it, the render, the outputs it asks for (audio,
// timeline) and the report of what the instances said.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "tools/AudioSource.h"
#include "tools/MeterOptions.h"
#include "tools/MeterReport.h"
#include "tools/PluginLibrary.h"

namespace kalvo5::meter {

struct MeasureJob {
  const MeterOptions& options;
  const PluginLibrary& library;
  const std::vector<std::uint8_t>& presetChunk;            // empty: no preset file
  std::ostream& out;                                       // the timeline when it goes to standard output
  std::function<void(std::int64_t frames)> progress = {};  // frames measured so far; optional
};

// Measures `source`. kExitOk with the report, or another exit code with a
// message in error; the report names the source either way. `description`
// tells what plug-in was loaded either way (once an instance could be
// created).
int MeasureSource(const MeasureJob& job, AudioSource& source, FileReport& report,
                  PluginDescription& description, std::string& error);

}  // namespace kalvo5::meter
