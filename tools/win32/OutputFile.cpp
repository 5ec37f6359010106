// Output files on Windows: the temporary file is made with CREATE_NEW and
// moved over the target with MoveFileExW, which replaces an existing file;
// the same file is the same volume and file index.
#include "tools/OutputFile.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <atomic>
#include <filesystem>

#include "platform/TextEncoding.h"

namespace kalvo5::meter {
namespace {

std::string SystemError(DWORD code) { return "system error " + std::to_string(code); }

// The file's identity; false when it cannot be opened.
bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  const HANDLE file = CreateFileW(platform::Utf8ToSystemPath(path).c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool known = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  return known;
}

}  // namespace

std::unique_ptr<PendingFile> PendingFile::Create(const std::string& path, std::string& error) {
  namespace fs = std::filesystem;
  static std::atomic<unsigned> counter{0};
  const fs::path target = fs::u8path(path);
  if (target.filename().empty()) {
    error = "not a file name: " + path;
    return nullptr;
  }
  if (const std::string refusal = WriteRefusal(path); !refusal.empty()) {
    error = refusal;
    return nullptr;
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring name = L"." + target.filename().wstring() + L".partial-" +
                              std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
    const fs::path temporary = target.parent_path() / name;
    const HANDLE file =
        CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      return std::unique_ptr<PendingFile>(
          new PendingFile(path, path, platform::SystemPathToUtf8(temporary.wstring()), -1));
    }
    if (GetLastError() != ERROR_FILE_EXISTS) {
      error = "cannot create " + path + ": " + SystemError(GetLastError());
      return nullptr;
    }
  }
  error = "cannot create " + path + ": no free temporary name";
  return nullptr;
}

int PendingFile::OpenDescriptor() const {
  return _wopen(platform::Utf8ToSystemPath(temporary_).c_str(), _O_RDWR | _O_BINARY);
}

PendingFile::~PendingFile() {
  if (!committed_) DeleteFileW(platform::Utf8ToSystemPath(temporary_).c_str());
}

bool PendingFile::Commit(std::string& error) {
  if (!MoveFileExW(platform::Utf8ToSystemPath(temporary_).c_str(),
                   platform::Utf8ToSystemPath(destination_).c_str(), MOVEFILE_REPLACE_EXISTING)) {
    error = "cannot write " + target_ + ": " + SystemError(GetLastError());
    return false;
  }
  committed_ = true;
  return true;
}

std::string WriteRefusal(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(platform::Utf8ToSystemPath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return {};
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "cannot write " + path + ": it is a folder";
  if (attributes & FILE_ATTRIBUTE_READONLY) return "cannot write " + path + ": the file is read-only";
  return {};
}

bool SameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION x{}, y{};
  return FileIdentity(a, x) && FileIdentity(b, y) && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
         x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

}  // namespace kalvo5::meter
