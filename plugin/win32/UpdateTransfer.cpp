// The version check's transfer through WinHTTP, the system's own HTTP
// client: one GET, the connect time-out of 25 s inside the overall time-out.
// The transfer runs on a thread of its own that holds a reference to this
// module: the caller waits for it only until it ends, the cancel flag is set
// or the overall time runs out, whatever WinHTTP does with a server that
// never answers; the module stays loaded until that thread is done.
#include <windows.h>
// After windows.h: WinHTTP's header needs its types.
#include <winhttp.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/TextEncoding.h"
#include "plugin/UpdateCheck.h"
#include "version/Version.h"

namespace kalvo5 {

namespace {

constexpr int kConnectTimeoutMs = 25000;

class Internet {
 public:
  explicit Internet(HINTERNET handle = nullptr) : mHandle(handle) {}
  ~Internet() {
    if (mHandle) WinHttpCloseHandle(mHandle);
  }
  Internet(const Internet&) = delete;
  Internet& operator=(const Internet&) = delete;
  HINTERNET Get() const { return mHandle; }

 private:
  HINTERNET mHandle;
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

// What the transfer thread leaves for the caller.
struct Transfer {
  std::wstring address;
  int overallMs = 0;
  std::mutex lock;
  std::condition_variable finished;
  bool done = false;
  DWORD error = 0;   // a WinHTTP error code, 0 on success
  DWORD status = 0;  // the HTTP status code
  std::string body;  // at most kVersionReplyCap bytes
};

DWORD Get(Transfer& transfer, DWORD& status, std::string& body) {
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(transfer.address.c_str(), static_cast<DWORD>(transfer.address.size()), 0, &parts))
    return GetLastError();
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  const std::wstring path = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                            std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);

  const std::wstring agent = platform::Utf8ToUtf16(std::string("Kalvo5/") + kVersionText);
  Internet session(WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                               WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session.Get()) return GetLastError();
  const int connectMs = std::min(kConnectTimeoutMs, transfer.overallMs);
  WinHttpSetTimeouts(session.Get(), connectMs, connectMs, transfer.overallMs, transfer.overallMs);
  Internet connection(WinHttpConnect(session.Get(), host.c_str(), parts.nPort, 0));
  if (!connection.Get()) return GetLastError();
  const DWORD secure = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
  Internet request(WinHttpOpenRequest(connection.Get(), L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                      WINHTTP_DEFAULT_ACCEPT_TYPES, secure));
  if (!request.Get()) return GetLastError();
  if (!WinHttpSendRequest(request.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0,
                          0) ||
      !WinHttpReceiveResponse(request.Get(), nullptr))
    return GetLastError();
  DWORD size = sizeof status;
  WinHttpQueryHeaders(request.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                      WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
  char chunk[4096];
  DWORD got = 0;
  BOOL read = FALSE;
  // The rest of a long reply is read and dropped, as the transfer runs to
  // its end.
  while ((read = WinHttpReadData(request.Get(), chunk, sizeof chunk, &got)) && got > 0) {
    if (body.size() < kVersionReplyCap)
      body.append(chunk, std::min<std::size_t>(got, kVersionReplyCap - body.size()));
  }
  return read ? 0 : GetLastError();
}

struct ThreadStart {
  std::shared_ptr<Transfer> transfer;
  HMODULE module;
};

DWORD WINAPI RunTransfer(void* parameter) {
  const std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(parameter));
  const HMODULE module = start->module;
  {
    const std::shared_ptr<Transfer> transfer = std::move(start->transfer);
    DWORD status = 0;
    std::string body;
    DWORD error = 0;
    try {
      error = Get(*transfer, status, body);
    } catch (...) {
      error = ERROR_OUTOFMEMORY;
    }
    std::lock_guard<std::mutex> guard(transfer->lock);
    transfer->error = error;
    transfer->status = status;
    transfer->body = std::move(body);
    transfer->done = true;
    transfer->finished.notify_all();
  }
  FreeLibraryAndExitThread(module, 0);
}

}  // namespace

void PrepareTransfers() {}

VersionCheckResult QueryServerVersion(const std::string& address, VersionReply& reply,
                                      long overallTimeoutSeconds, const std::atomic<bool>* cancel) {
  const long seconds = std::clamp(overallTimeoutSeconds, 1L, 3600L);
  auto transfer = std::make_shared<Transfer>();
  transfer->address = platform::Utf8ToUtf16(address);
  transfer->overallMs = static_cast<int>(seconds * 1000);

  // The thread's own reference to this module, let go as it ends.
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                          reinterpret_cast<LPCWSTR>(&QueryServerVersion), &module))
    return VersionCheckResult::NoHandle;
  auto* start = new ThreadStart{transfer, module};
  const HANDLE thread = CreateThread(nullptr, 0, &RunTransfer, start, 0, nullptr);
  if (!thread) {
    delete start;
    FreeLibrary(module);
    return VersionCheckResult::NoHandle;
  }
  CloseHandle(thread);

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  std::unique_lock<std::mutex> guard(transfer->lock);
  while (!transfer->done && std::chrono::steady_clock::now() < deadline &&
         !(cancel && cancel->load(std::memory_order_acquire)))
    transfer->finished.wait_for(guard, std::chrono::milliseconds(50));
  // Given up: the thread finishes on its own and nobody reads what it leaves.
  const DWORD error = transfer->done ? transfer->error : static_cast<DWORD>(ERROR_WINHTTP_TIMEOUT);
  reply.text = transfer->done || !(cancel && cancel->load()) ? ErrorText(error) : "Cancelled";
  if (reply.text.size() > kVersionReplyCap) reply.text.resize(kVersionReplyCap);
  reply.status = static_cast<int>(error);
  if (error != 0) return VersionCheckResult::TransferFailed;
  // Only a 200 reply carries the version: an error page completed the
  // transfer but says nothing of it, whatever its body holds.
  if (transfer->status != 200) return VersionCheckResult::NotAVersion;
  return ClassifyServerReply(transfer->body.data(), transfer->body.size());
}

}  // namespace kalvo5
