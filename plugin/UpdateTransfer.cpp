// The version check's transfer through libcurl.
#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "plugin/BackgroundJob.h"
#include "plugin/UpdateCheck.h"

namespace kalvo5 {

namespace {

std::size_t AppendCapped(char* data, std::size_t size, std::size_t count, void* target) {
  auto& body = *static_cast<std::string*>(target);
  const std::size_t bytes = size * count;
  if (body.size() < kVersionReplyCap) body.append(data, std::min(bytes, kVersionReplyCap - body.size()));
  return bytes;
}

// How long the transfer waits for its socket between looks at the cancel
// flag: a transfer whose owner went away ends within this time, instead of
// at libcurl's next once-a-second progress call.
constexpr int kCancelCheckMs = 10;

// Set as the process exits: every transfer still running stops.
std::atomic<bool> gExiting{false};

bool Cancelled(const std::atomic<bool>* cancel) {
  return gExiting.load(std::memory_order_acquire) ||
         (cancel != nullptr && cancel->load(std::memory_order_acquire));
}

void EndTransfersAtExit() {
  gExiting.store(true, std::memory_order_release);
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (RunningBackgroundJobs() > 0 && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

// Runs the transfer to its end (or its time-outs), stopping early when
// *cancel is set.
CURLcode Perform(CURL* handle, const std::atomic<bool>* cancel) {
  CURLM* multi = curl_multi_init();
  if (multi == nullptr) return CURLE_OUT_OF_MEMORY;
  CURLcode code = CURLE_OK;
  if (curl_multi_add_handle(multi, handle) != CURLM_OK) {
    code = CURLE_FAILED_INIT;
  } else {
    for (;;) {
      int running = 0;
      if (curl_multi_perform(multi, &running) != CURLM_OK) {
        code = CURLE_FAILED_INIT;
        break;
      }
      if (running == 0) {
        int left = 0;
        const CURLMsg* message = curl_multi_info_read(multi, &left);
        code = message != nullptr && message->msg == CURLMSG_DONE ? message->data.result : CURLE_FAILED_INIT;
        break;
      }
      if (Cancelled(cancel)) {
        code = CURLE_ABORTED_BY_CALLBACK;
        break;
      }
      curl_multi_poll(multi, nullptr, 0, kCancelCheckMs, nullptr);
    }
    curl_multi_remove_handle(multi, handle);
  }
  curl_multi_cleanup(multi);
  return code;
}

}  // namespace

void PrepareTransfers() {
  static const bool prepared = [] {
    // Kept for the life of the process: the TLS library's own exit handler
    // is registered in here, so the one below runs before it.
    curl_global_init(CURL_GLOBAL_ALL);
    std::atexit(&EndTransfersAtExit);
    return true;
  }();
  (void)prepared;
}

VersionCheckResult QueryServerVersion(const std::string& address, VersionReply& reply,
                                      long overallTimeoutSeconds, const std::atomic<bool>* cancel) {
  curl_global_init(CURL_GLOBAL_ALL);
  CURL* handle = curl_easy_init();
  VersionCheckResult result = VersionCheckResult::NoHandle;
  if (handle != nullptr) {
    std::string body;
    curl_easy_setopt(handle, CURLOPT_URL, address.c_str());
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &AppendCapped);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, 25L);
    // A server that accepts but never answers must not hold the check for
    // ever; and no signals, since the transfer runs on a worker thread.
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, overallTimeoutSeconds);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);

    const CURLcode code = Perform(handle, cancel);
    reply.text.assign(curl_easy_strerror(code));
    if (reply.text.size() > kVersionReplyCap) reply.text.resize(kVersionReplyCap);
    reply.status = static_cast<int>(code);
    // Only a 200 reply carries the version: an error page or a redirect
    // completed the transfer but says nothing of it, whatever its body holds.
    long httpStatus = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &httpStatus);
    if (code != CURLE_OK)
      result = VersionCheckResult::TransferFailed;
    else if (httpStatus != 200)
      result = VersionCheckResult::NotAVersion;
    else
      result = ClassifyServerReply(body.data(), body.size());
    curl_easy_cleanup(handle);
  }
  curl_global_cleanup();
  return result;
}

}  // namespace kalvo5
