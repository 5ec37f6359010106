// Asking the maker's version-check server for the newest released version.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>

namespace kalvo5 {

enum class VersionCheckResult : int {
  NoHandle = -1,       // the transfer handle could not be created
  TransferFailed = 0,  // libcurl reported an error (an HTTP error page is not one)
  NotAVersion = 1,     // the reply is not a 200 or does not start with three dot-separated integers
  UpToDate = 3,
  UpdateAvailable = 4,
  OlderAvailable = 5,  // the server's version is older than ours
};

// Only the start of a reply matters: the body kept, and the longest text of a
// transfer's outcome.
constexpr std::size_t kVersionReplyCap = 1023;

// What the last transfer said: the transfer library's text for its result
// code (at most kVersionReplyCap characters) and the code itself; -1 and
// empty before a transfer.
struct VersionReply {
  std::string text;
  int status = -1;
};

// The version number compared: (major * 100 + minor) * 100 + patch, in 64
// bits, so a part above 99 spills into the next (1.100.0 equals 2.0.0).
long long VersionNumber(long long major, long long minor, long long patch);

// Classifies a server reply against our own version. Reads at most `length`
// bytes; the reply needs no terminator.
VersionCheckResult ClassifyServerReply(const char* reply, std::size_t length);

// The address asked: the server base (the environment variable
// KALVO5_UPDATE_SERVER when set, else the address the build was configured
// with) followed by "/versioncheck?productname=" and the product name.
std::string VersionCheckAddress(const char* productName);

// Readies the process for transfers, once, on the thread that starts a
// check (before its worker exists): the TLS library is set up here rather
// than on a worker, and the process's exit first ends and waits (at most two
// seconds) for the transfers still running, so that none is left inside the
// TLS library while the exit takes that apart. Nothing to do on Windows,
// whose exit ends other threads first.
void PrepareTransfers();

// One GET of the address. Blocks the calling thread for at most the connect
// time-out (25 s) within overallTimeoutSeconds; setting *cancel from another
// thread ends it within tens of milliseconds. Never call it on a thread that
// holds the UI lock (UpdateCheckTask runs it on a worker thread).
VersionCheckResult QueryServerVersion(const std::string& address, VersionReply& reply,
                                      long overallTimeoutSeconds = 40,
                                      const std::atomic<bool>* cancel = nullptr);

// The manual check's message for a result.
const char* UpdateCheckMessage(VersionCheckResult result);

// Shared by every instance in the process: the automatic check has run, and
// whether the latest check found a newer version.
extern std::atomic<bool> gUpdateCheckDone;
extern std::atomic<bool> gUpdateAvailable;

}  // namespace kalvo5
