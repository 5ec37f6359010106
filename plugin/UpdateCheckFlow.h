// The automatic and the manual update check as the idle tick runs them. A
// check is started on one tick and runs on a worker thread; a later tick
// takes its result, so no tick ever waits on the network. UI thread.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>

#include "plugin/UpdateCheck.h"
#include "plugin/UpdateCheckTask.h"

namespace kalvo5 {

class UpdateCheckFlow {
 public:
  struct Message {
    std::string text;
    std::string caption;
  };

  UpdateCheckFlow() = default;
  UpdateCheckFlow(const UpdateCheckFlow&) = delete;
  UpdateCheckFlow& operator=(const UpdateCheckFlow&) = delete;
  // Closing never waits for a running check (its transfer is abandoned). An
  // automatic check that never reported gives the process's turn back, so
  // the next instance with an open editor runs it.
  ~UpdateCheckFlow();

  // One idle tick with the editor open. Starts the automatic check when it is
  // enabled and has not run in this process yet, and a manual check when one
  // was requested (the request is cleared when the check starts; a request
  // made while a manual check runs waits for it). Takes the results that
  // arrived: each sets gUpdateAvailable; a manual check's result also gives
  // the message to show.
  std::optional<Message> Tick(bool automaticEnabled, const std::function<bool()>& takeManualRequest);

  // What the latest finished check said (libcurl's text and code).
  const VersionReply& LastReply() const { return mReply; }
  // Whether a check is still running.
  bool Busy() const { return mAutomatic.Busy() || mManual.Busy(); }

  // The overall time-out of each transfer, in seconds.
  void SetTimeout(long seconds) { mTimeoutSeconds = seconds; }

 private:
  void Start(UpdateCheckTask& task);

  UpdateCheckTask mAutomatic;
  UpdateCheckTask mManual;
  VersionReply mReply;
  long mTimeoutSeconds = 40;
};

}  // namespace kalvo5
