#include "plugin/UpdateCheckFlow.h"

namespace kalvo5 {

namespace {

constexpr const char* kProductName = "Kalvo5";

}  // namespace

UpdateCheckFlow::~UpdateCheckFlow() {
  if (mAutomatic.Busy()) gUpdateCheckDone.store(false);
}

void UpdateCheckFlow::Start(UpdateCheckTask& task) {
  mReply = VersionReply{};
  task.Start(VersionCheckAddress(kProductName), mTimeoutSeconds);
}

std::optional<UpdateCheckFlow::Message> UpdateCheckFlow::Tick(
    bool automaticEnabled, const std::function<bool()>& takeManualRequest) {
  // Once per process, in whichever instance gets here first.
  if (automaticEnabled && !gUpdateCheckDone.load() && !gUpdateCheckDone.exchange(true)) Start(mAutomatic);
  if (!mManual.Busy() && takeManualRequest()) Start(mManual);

  VersionCheckResult result = VersionCheckResult::NoHandle;
  VersionReply reply;
  if (mAutomatic.TakeResult(result, reply)) {
    mReply = reply;
    gUpdateAvailable.store(result == VersionCheckResult::UpdateAvailable);
  }
  if (!mManual.TakeResult(result, reply)) return std::nullopt;
  mReply = reply;
  gUpdateAvailable.store(result == VersionCheckResult::UpdateAvailable);
  return Message{UpdateCheckMessage(result), "Check for update"};
}

}  // namespace kalvo5
