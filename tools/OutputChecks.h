// The checks of the command's output files before anything is measured.
#pragma once

#include <string>
#include <vector>

#include "tools/ExitCode.h"
#include "tools/MeterOptions.h"

namespace kalvo5::meter {

// Refuses, before anything is opened for writing: an audio output or a
// report of a type it cannot write; an output that only one file can fill
// (audio, timeline, snapshot) when `files` (the expanded list) holds
// several; an output the caller may not write; and an output (the summary
// CSV and every image of the report too) that is one of the inputs or
// another output, also through another name.
Failure CheckOutputs(const MeterOptions& options, const std::vector<std::string>& files);

}  // namespace kalvo5::meter
