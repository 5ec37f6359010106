// The version check's transfer through WinHTTP, the system's own HTTP
// client: one GET, the connect time-out of 25 s inside the overall time-out,
// and a cancel flag that a watcher turns into closing the request, which ends
// a call blocked in WinHTTP at once.
#include <windows.h>
// After windows.h: WinHTTP's header needs its types.
#include <winhttp.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/TextEncoding.h"
#include "plugin/UpdateCheck.h"
#include "plugin/Version.h"

namespace kalvo5 {

namespace {

constexpr int kConnectTimeoutMs = 25000;

class Internet {
 public:
  explicit Internet(HINTERNET handle = nullptr) : mHandle(handle) {}
  ~Internet() { Close(); }
  Internet(const Internet&) = delete;
  Internet& operator=(const Internet&) = delete;
  HINTERNET Get() const { return mHandle; }
  void Close() {
    if (HINTERNET handle = mHandle) {
      mHandle = nullptr;
      WinHttpCloseHandle(handle);
    }
  }

 private:
  HINTERNET mHandle;
};

// Closes the request when `cancel` is set or the overall time runs out,
// until the transfer is over.
class Watchdog {
 public:
  Watchdog(HINTERNET request, const std::atomic<bool>* cancel, long seconds)
      : mThread([this, request, cancel, seconds] {
          const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
          std::unique_lock<std::mutex> guard(mLock);
          while (!mDone) {
            if ((cancel && cancel->load(std::memory_order_acquire)) ||
                std::chrono::steady_clock::now() > deadline) {
              // Ends a WinHTTP call that is waiting, on the worker's thread.
              WinHttpCloseHandle(request);
              mClosed = true;
              return;
            }
            mWake.wait_for(guard, std::chrono::milliseconds(50));
          }
        }) {}
  ~Watchdog() { Stop(); }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

  // True when the watchdog closed the request itself.
  bool Stop() {
    {
      std::lock_guard<std::mutex> guard(mLock);
      mDone = true;
    }
    mWake.notify_all();
    if (mThread.joinable()) mThread.join();
    return mClosed;
  }

 private:
  std::mutex mLock;
  std::condition_variable mWake;
  bool mDone = false;
  bool mClosed = false;
  std::thread mThread;
};

std::string ErrorText(DWORD error) {
  if (error == 0) return "No error";
  wchar_t* text = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE |
                         FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     GetModuleHandleW(L"winhttp.dll"), error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  std::string message = length > 0 && text ? platform::Utf16ToUtf8(std::wstring_view(text, length)) : "";
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
    message.pop_back();
  return message.empty() ? "Transfer error " + std::to_string(error) : message;
}

// The transfer itself: the status code and at most kVersionReplyCap bytes of
// the body; a WinHTTP error code, 0 on success.
DWORD Get(const std::wstring& address, const std::atomic<bool>* cancel, long seconds, DWORD& status,
          std::string& body) {
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(address.c_str(), static_cast<DWORD>(address.size()), 0, &parts)) return GetLastError();
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  const std::wstring path = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                            std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);

  const std::wstring agent = platform::Utf8ToUtf16(std::string("Kalvo5/") + kVersionText);
  Internet session(WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                               WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session.Get()) return GetLastError();
  const int overallMs = static_cast<int>(std::min(seconds, 3600L) * 1000);
  WinHttpSetTimeouts(session.Get(), std::min(kConnectTimeoutMs, overallMs),
                     std::min(kConnectTimeoutMs, overallMs), overallMs, overallMs);
  Internet connection(WinHttpConnect(session.Get(), host.c_str(), parts.nPort, 0));
  if (!connection.Get()) return GetLastError();
  const DWORD secure = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
  const HINTERNET request = WinHttpOpenRequest(connection.Get(), L"GET", path.c_str(), nullptr,
                                               WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, secure);
  if (!request) return GetLastError();

  Watchdog watchdog(request, cancel, seconds);
  DWORD error = 0;
  if (!WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
      !WinHttpReceiveResponse(request, nullptr)) {
    error = GetLastError();
  } else {
    DWORD size = sizeof status;
    WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                        WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
    char chunk[4096];
    DWORD got = 0;
    BOOL read = FALSE;
    // The rest of a long reply is read and dropped, as the transfer runs to
    // its end.
    while ((read = WinHttpReadData(request, chunk, sizeof chunk, &got)) && got > 0) {
      if (body.size() < kVersionReplyCap)
        body.append(chunk, std::min<std::size_t>(got, kVersionReplyCap - body.size()));
    }
    error = read ? 0 : GetLastError();
  }
  if (!watchdog.Stop()) WinHttpCloseHandle(request);
  return error;
}

}  // namespace

VersionCheckResult QueryServerVersion(const std::string& address, VersionReply& reply,
                                      long overallTimeoutSeconds, const std::atomic<bool>* cancel) {
  DWORD status = 0;
  std::string body;
  const DWORD error = Get(platform::Utf8ToUtf16(address), cancel,
                          overallTimeoutSeconds > 0 ? overallTimeoutSeconds : 1, status, body);
  reply.text = ErrorText(error);
  if (reply.text.size() > kVersionReplyCap) reply.text.resize(kVersionReplyCap);
  reply.status = static_cast<int>(error);
  if (error != 0) return VersionCheckResult::TransferFailed;
  // Only a 200 reply carries the version: an error page completed the
  // transfer but says nothing of it, whatever its body holds.
  if (status != 200) return VersionCheckResult::NotAVersion;
  return ClassifyServerReply(body.data(), body.size());
}

}  // namespace kalvo5
