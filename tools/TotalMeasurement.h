// --total: the files read one after the other and measured as one programme
// (an album), after they were measured one by one.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "tools/ExitCode.h"
#include "tools/MeterOptions.h"
#include "tools/MeterReport.h"
#include "tools/PluginLibrary.h"

namespace kalvo5::meter {

// Why the files cannot make a total, one message per file that does not
// open and one when they differ in sample rate or channel count; checked
// before anything is measured, as the total needs them all.
std::vector<std::string> TotalProblems(const MeterOptions& options, const std::vector<std::string>& files);

// Measures the total with the files' settings (their own passes wrote the
// outputs). `description` tells what plug-in measured it.
Failure MeasureTotal(const MeterOptions& options, const std::vector<std::string>& files,
                     const PluginLibrary& library, const std::vector<std::uint8_t>& presetChunk,
                     std::ostream& out, std::FILE* progress, bool showProgress, FileReport& total,
                     PluginDescription& description);

}  // namespace kalvo5::meter
