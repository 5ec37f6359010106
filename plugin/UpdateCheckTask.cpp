#include "plugin/UpdateCheckTask.h"

#include <utility>

namespace kalvo5 {

UpdateCheckTask::~UpdateCheckTask() {
  cancel_.store(true, std::memory_order_release);
  Join();
}

void UpdateCheckTask::Join() {
  if (worker_.joinable()) worker_.join();
}

bool UpdateCheckTask::Start(std::string address, long overallTimeoutSeconds) {
  if (busy_) return false;
  Join();
  busy_ = true;
  finished_.store(false, std::memory_order_relaxed);
  cancel_.store(false, std::memory_order_relaxed);
  worker_ = std::thread([this, address = std::move(address), overallTimeoutSeconds] {
    VersionReply reply;
    const VersionCheckResult result = QueryServerVersion(address, reply, overallTimeoutSeconds, &cancel_);
    result_ = result;
    reply_ = std::move(reply);
    // Publishes result_ and reply_ to the thread that sees finished_ set.
    finished_.store(true, std::memory_order_release);
  });
  return true;
}

bool UpdateCheckTask::TakeResult(VersionCheckResult& result, VersionReply& reply) {
  if (!busy_ || !finished_.load(std::memory_order_acquire)) return false;
  Join();
  result = result_;
  reply = reply_;
  busy_ = false;
  return true;
}

}  // namespace kalvo5
