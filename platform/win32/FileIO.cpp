// Whole files through the system's wide file calls.
#include "platform/FileIO.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

#include "platform/RegularFileRead.h"
#include "platform/TextEncoding.h"

namespace platform {

namespace {

class Handle {
 public:
  explicit Handle(HANDLE handle) : mHandle(handle) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE Get() const { return mHandle; }
  bool Valid() const { return mHandle != INVALID_HANDLE_VALUE; }
  // Closes now and reports whether that worked.
  bool Close() {
    const HANDLE handle = mHandle;
    mHandle = INVALID_HANDLE_VALUE;
    return handle != INVALID_HANDLE_VALUE && CloseHandle(handle) != 0;
  }

 private:
  HANDLE mHandle;
};

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// A hidden name for the new file in the target's folder that no other writer
// in this or another process picks at the same time; it never looks like a
// preset file name.
std::string TemporaryPathFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  const std::size_t separator = path.find_last_of("/\\");
  const std::string folder = separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
  return folder + ".~kalvo5-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(counter.fetch_add(1)) + ".partial";
}

}  // namespace

namespace detail {

bool ReadRegularFile(const std::string& path, std::string& bytes, long long maxBytes, bool wholeOnly,
                     long long& size) {
  bytes.clear();
  if (path.empty()) return false;
  Handle file(CreateFileW(Utf8ToSystemPath(path).c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  // Only a file on a disk: a pipe, a console or a device is never waited on.
  LARGE_INTEGER length{};
  if (!file.Valid() || GetFileType(file.Get()) != FILE_TYPE_DISK || !GetFileSizeEx(file.Get(), &length) ||
      length.QuadPart <= 0 || maxBytes <= 0 || (wholeOnly && length.QuadPart > maxBytes))
    return false;
  size = length.QuadPart;
  bytes.resize(static_cast<std::size_t>(std::min<long long>(size, maxBytes)));
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    const std::size_t left = bytes.size() - filled;
    DWORD got = 0;
    if (!ReadFile(file.Get(), bytes.data() + filled,
                  left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left), &got, nullptr) ||
        got == 0)
      break;  // the file shrank meanwhile: keep what was read
    filled += got;
  }
  bytes.resize(filled);
  return !bytes.empty();
}

}  // namespace detail

namespace {

// The system's text for an error code, without its line end.
std::string SystemMessage(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  std::string message = length > 0 && text ? Utf16ToUtf8(std::wstring_view(text, length)) : std::string();
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
    message.pop_back();
  return message.empty() ? "system error " + std::to_string(error) : message;
}

}  // namespace

bool WriteFileReplacing(const std::string& path, std::string_view bytes, std::string* failure) {
  // The reason of the first step that failed.
  const auto fail = [failure](DWORD error) {
    if (failure) *failure = SystemMessage(error);
    return false;
  };
  if (path.empty()) return fail(ERROR_PATH_NOT_FOUND);
  const SystemPath temporary = Utf8ToSystemPath(TemporaryPathFor(path));
  Handle file(
      CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return fail(GetLastError());
  DWORD error = WriteAll(file.Get(), bytes) && FlushFileBuffers(file.Get()) ? 0 : GetLastError();
  if (!file.Close() && error == 0) error = GetLastError();
  if (error == 0 && !MoveFileExW(temporary.c_str(), Utf8ToSystemPath(path).c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    error = GetLastError();
  if (error != 0) {
    DeleteFileW(temporary.c_str());
    return fail(error);
  }
  return true;
}

}  // namespace platform
