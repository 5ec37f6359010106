#include "plugin/UpdateCheck.h"

#include <curl/curl.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "version/Version.h"

#ifndef KALVO5_UPDATE_SERVER_URL
#define KALVO5_UPDATE_SERVER_URL "https://www.vantorel.com"
#endif

namespace kalvo5 {

std::atomic<bool> gUpdateCheckDone{false};
std::atomic<bool> gUpdateAvailable{false};

namespace {

// Only the start of a reply matters; anything beyond this is dropped while
// the transfer runs to its end.
constexpr std::size_t kReplyCap = 1023;

std::size_t AppendCapped(char* data, std::size_t size, std::size_t count, void* target) {
  auto& body = *static_cast<std::string*>(target);
  const std::size_t bytes = size * count;
  if (body.size() < kReplyCap) body.append(data, std::min(bytes, kReplyCap - body.size()));
  return bytes;
}

// Reads an integer the way "%d" does: optional leading white space, an
// optional sign, at least one digit. Values beyond int's range saturate
// instead of overflowing.
bool ReadInteger(const char*& p, const char* end, long long& out) {
  while (p < end && (*p == ' ' || (*p >= '\t' && *p <= '\r'))) ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  if (p == end || *p < '0' || *p > '9') return false;
  long long value = 0;
  while (p < end && *p >= '0' && *p <= '9') {
    value = std::min<long long>(value * 10 + (*p++ - '0'), static_cast<long long>(INT_MAX) + 1);
  }
  value = negative ? -value : value;
  out = std::clamp<long long>(value, INT_MIN, INT_MAX);
  return true;
}

int AbortWhenCancelled(void* cancel, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  const auto* flag = static_cast<const std::atomic<bool>*>(cancel);
  return flag != nullptr && flag->load(std::memory_order_acquire) ? 1 : 0;
}

}  // namespace

long long VersionNumber(long long major, long long minor, long long patch) {
  return (major * 100 + minor) * 100 + patch;
}

VersionCheckResult ClassifyServerReply(const char* reply, std::size_t length) {
  const char* p = reply;
  const char* end = reply + length;
  long long part[3] = {};
  for (int i = 0; i < 3; ++i) {
    if (i > 0) {
      if (p == end || *p != '.') return VersionCheckResult::NotAVersion;
      ++p;
    }
    if (!ReadInteger(p, end, part[i])) return VersionCheckResult::NotAVersion;
  }
  const long long remote = VersionNumber(part[0], part[1], part[2]);
  const long long local = VersionNumber(kVersionMajor, kVersionMinor, kVersionPatch);
  if (remote == local) return VersionCheckResult::UpToDate;
  return remote > local ? VersionCheckResult::UpdateAvailable : VersionCheckResult::OlderAvailable;
}

std::string VersionCheckAddress(const char* productName) {
  const char* fromEnvironment = std::getenv("KALVO5_UPDATE_SERVER");
  std::string address =
      fromEnvironment != nullptr && *fromEnvironment != '\0' ? fromEnvironment : KALVO5_UPDATE_SERVER_URL;
  while (!address.empty() && address.back() == '/') address.pop_back();
  return address + "/versioncheck?productname=" + productName;
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
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &AbortWhenCancelled);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, cancel);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);

    const CURLcode code = curl_easy_perform(handle);
    reply.text.assign(curl_easy_strerror(code));
    if (reply.text.size() > kReplyCap) reply.text.resize(kReplyCap);
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

const char* UpdateCheckMessage(VersionCheckResult result) {
  switch (result) {
    case VersionCheckResult::TransferFailed:
      return "Service not available";
    case VersionCheckResult::NotAVersion:
      return "Product not found";
    case VersionCheckResult::UpToDate:
      return "Plugin is up to date";
    case VersionCheckResult::UpdateAvailable:
      return "Plugin update is available";
    case VersionCheckResult::OlderAvailable:
      return "Older plugin version available";
    case VersionCheckResult::NoHandle:
      break;
  }
  return "Unknown";
}

}  // namespace kalvo5
