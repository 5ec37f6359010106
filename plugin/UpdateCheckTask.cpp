#include "plugin/UpdateCheckTask.h"

#include <utility>

namespace kalvo5 {

bool UpdateCheckTask::Start(std::string address, long overallTimeoutSeconds) {
  if (mJob.Busy()) return false;
  PrepareTransfers();
  return mJob.Start([address = std::move(address), overallTimeoutSeconds](const std::atomic<bool>& cancel) {
    Outcome outcome;
    outcome.result = QueryServerVersion(address, outcome.reply, overallTimeoutSeconds, &cancel);
    return outcome;
  });
}

bool UpdateCheckTask::TakeResult(VersionCheckResult& result, VersionReply& reply) {
  Outcome outcome;
  if (!mJob.TakeResult(outcome)) return false;
  result = outcome.result;
  reply = std::move(outcome.reply);
  return true;
}

}  // namespace kalvo5
