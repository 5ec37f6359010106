// The version check's transfer through libcurl.
#include <curl/curl.h>

#include <algorithm>

#include "plugin/UpdateCheck.h"

namespace kalvo5 {

namespace {

std::size_t AppendCapped(char* data, std::size_t size, std::size_t count, void* target) {
  auto& body = *static_cast<std::string*>(target);
  const std::size_t bytes = size * count;
  if (body.size() < kVersionReplyCap) body.append(data, std::min(bytes, kVersionReplyCap - body.size()));
  return bytes;
}

int AbortWhenCancelled(void* cancel, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  const auto* flag = static_cast<const std::atomic<bool>*>(cancel);
  return flag != nullptr && flag->load(std::memory_order_acquire) ? 1 : 0;
}

}  // namespace

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
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &AbortWhenCancelled);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, cancel);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);

    const CURLcode code = curl_easy_perform(handle);
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
