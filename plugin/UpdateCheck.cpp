#include "plugin/UpdateCheck.h"

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
