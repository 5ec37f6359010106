// Writing what a run measured, in the forms the command line asks for: the
// table or the JSON on standard output (unless a CSV goes there), the
// library view (summary) and its CSV file.
#pragma once

#include <ostream>
#include <vector>

#include "tools/ExitCode.h"
#include "tools/MeterOptions.h"
#include "tools/MeterReport.h"

namespace kalvo5::meter {

struct RunResults {
  PluginDescription description;
  std::vector<FileReport> reports;  // every file, those not read with their error
  const FileReport* total = nullptr;
};

// The library view is shown for several files (or with --summary); every
// file's own report for one file (or with --details). A table for several
// files ends with a count of what became of them.
Failure WriteResults(const MeterOptions& options, const RunResults& results, std::ostream& out);

}  // namespace kalvo5::meter
