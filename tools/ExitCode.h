// The meter command's exit status, and a failure that carries one.
#pragma once

#include <string>

namespace kalvo5::meter {

enum ExitCode : int {
  kExitOk = 0,
  kExitUsage = 2,
  kExitPlugin = 3,       // plug-in missing, not loadable, or refusing a setting
  kExitInput = 4,        // audio or preset file missing, unreadable or unsupported
  kExitOutput = 5,       // an output file could not be written
  kExitDamaged = 6,      // measured, but an input was damaged (see the warnings)
  kExitCheckFailed = 7,  // measured, but a file failed its delivery check (--check, --target's ceiling)
};

// What went wrong, with the exit status it ends the command with; kExitOk
// when nothing did.
struct Failure {
  int code = kExitOk;
  std::string message;
  bool Failed() const { return code != kExitOk; }
};

}  // namespace kalvo5::meter
