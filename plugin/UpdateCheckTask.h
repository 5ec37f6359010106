// Runs one version check on a worker thread so that the timer tick that
// asked for it never waits on the network; a later tick collects the result.
#pragma once

#include <string>

#include "plugin/BackgroundJob.h"
#include "plugin/UpdateCheck.h"

namespace kalvo5 {

class UpdateCheckTask {
 public:
  // Starts a check of the address unless one is still running or its result
  // has not been taken; returns whether it started. UI thread. Destroying
  // the task never waits: a running transfer is told to stop and left to
  // end on its own thread, its result dropped.
  bool Start(std::string address, long overallTimeoutSeconds = 40);

  // True from Start until the result has been taken.
  bool Busy() const { return mJob.Busy(); }

  // Hands over a finished check's result once; false while none is ready.
  // Never blocks. UI thread.
  bool TakeResult(VersionCheckResult& result, VersionReply& reply);

 private:
  struct Outcome {
    VersionCheckResult result = VersionCheckResult::NoHandle;
    VersionReply reply;
  };
  BackgroundJob<Outcome> mJob;
};

}  // namespace kalvo5
