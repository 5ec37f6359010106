// Whole files through the system's wide file calls.
#include "platform/FileIO.h"

#include <windows.h>

#include <atomic>

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

bool ReadWholeFile(const std::string& path, std::string& bytes, long long maxBytes) {
  bytes.clear();
  if (path.empty()) return false;
  Handle file(CreateFileW(Utf8ToSystemPath(path).c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  // Only a file on a disk: a pipe, a console or a device is never waited on.
  LARGE_INTEGER size{};
  if (!file.Valid() || GetFileType(file.Get()) != FILE_TYPE_DISK || !GetFileSizeEx(file.Get(), &size) ||
      size.QuadPart <= 0 || size.QuadPart > maxBytes)
    return false;
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
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

bool WriteFileReplacing(const std::string& path, std::string_view bytes) {
  if (path.empty()) return false;
  const SystemPath temporary = Utf8ToSystemPath(TemporaryPathFor(path));
  Handle file(
      CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  const bool complete = WriteAll(file.Get(), bytes) && FlushFileBuffers(file.Get());
  if (!file.Close() || !complete ||
      !MoveFileExW(temporary.c_str(), Utf8ToSystemPath(path).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace platform
