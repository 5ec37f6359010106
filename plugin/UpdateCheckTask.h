// Runs one version check on a worker thread so that the timer tick that
// asked for it never waits on the network; a later tick collects the result.
#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "plugin/UpdateCheck.h"

namespace kalvo5 {

class UpdateCheckTask {
 public:
  UpdateCheckTask() = default;
  UpdateCheckTask(const UpdateCheckTask&) = delete;
  UpdateCheckTask& operator=(const UpdateCheckTask&) = delete;
  // Cancels a running transfer and waits for the worker (about a second at
  // most).
  ~UpdateCheckTask();

  // Starts a check of the address unless one is still running or its result
  // has not been taken; returns whether it started. UI thread.
  bool Start(std::string address, long overallTimeoutSeconds = 40);

  // True from Start until the result has been taken.
  bool Busy() const { return busy_; }

  // Hands over a finished check's result once; false while none is ready.
  // Never blocks. UI thread.
  bool TakeResult(VersionCheckResult& result, VersionReply& reply);

 private:
  void Join();

  std::thread worker_;
  std::atomic<bool> finished_{false};
  std::atomic<bool> cancel_{false};
  bool busy_ = false;
  VersionCheckResult result_ = VersionCheckResult::NoHandle;
  VersionReply reply_;
};

}  // namespace kalvo5
