// The meter command as a function: everything main() does, with the streams
// passed in, so tests can run it in-process.
#pragma once

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "tools/MeterOptions.h"

namespace kalvo5::meter {

enum ExitCode : int {
  kExitOk = 0,
  kExitUsage = 2,
  kExitPlugin = 3,  // plug-in missing, not loadable, or refusing a setting
  kExitInput = 4,   // audio or preset file missing, unreadable or unsupported
  kExitOutput = 5,  // an output file could not be written
};

// Where to look for Kalvo5.so when no plug-in is named, in order:
// $KALVO5_PLUGIN alone when set; else beside the running program and one
// folder up (a build tree), ~/.vst, $VST_PATH, $LXVST_PATH, /usr/local/lib/vst,
// /usr/lib/vst.
std::vector<std::string> DefaultPluginCandidates();

// Runs the command. Results go to `out`, messages to `err`; the progress bar
// to `progress` (standard error in the program) when it is enabled.
int RunMeter(const MeterOptions& options, std::ostream& out, std::ostream& err, std::FILE* progress);

// Parses the command line and runs it.
int MeterMain(int argc, const char* const* argv, std::ostream& out, std::ostream& err, std::FILE* progress);

}  // namespace kalvo5::meter
