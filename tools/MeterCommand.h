// The meter command as a function: everything main() does, with the streams
// passed in, so tests can run it in-process.
#pragma once

#include <cstdio>
#include <ostream>
#include <string>

#include "tools/ExitCode.h"
#include "tools/MeterOptions.h"

namespace kalvo5::meter {

// Runs the command. Without --type, a plug-in with an analyzer "Type"
// parameter is measured with RMS, EBU and DIAL side by side: one instance
// each, fed the same blocks. Results go to `out`, messages to `err`; the progress bar
// to `progress` (standard error in the program) when it is enabled.
int RunMeter(const MeterOptions& options, std::ostream& out, std::ostream& err, std::FILE* progress);

// Parses the command line and runs it.
int MeterMain(int argc, const char* const* argv, std::ostream& out, std::ostream& err, std::FILE* progress);

}  // namespace kalvo5::meter
