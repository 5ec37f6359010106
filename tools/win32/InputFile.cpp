// Input files on Windows: named in UTF-16, opened only when the system says
// they are files on a disk, read at an offset through the system's handle;
// the C runtime's descriptor goes to libsndfile.
#include "tools/InputFile.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/TextEncoding.h"

namespace kalvo5::meter {
namespace {

std::string SystemError(DWORD code) { return "system error " + std::to_string(code); }

}  // namespace

std::unique_ptr<InputFile> InputFile::Open(const std::string& path, InputRefusal& refusal) {
  const platform::SystemPath name = platform::Utf8ToSystemPath(path);
  const DWORD attributes = GetFileAttributesW(name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    refusal = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                  ? InputRefusal{InputRefusal::kMissing, {}}
                  : InputRefusal{InputRefusal::kUnreadable, SystemError(error)};
    return nullptr;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    refusal = {InputRefusal::kFolder, {}};
    return nullptr;
  }
  const HANDLE handle = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    refusal = {InputRefusal::kUnreadable, SystemError(GetLastError())};
    return nullptr;
  }
  LARGE_INTEGER size{};
  if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileSizeEx(handle, &size)) {
    CloseHandle(handle);
    refusal = {InputRefusal::kNotRegular, "a device"};
    return nullptr;
  }
  // The descriptor owns the handle from here on.
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
  if (descriptor < 0) {
    CloseHandle(handle);
    refusal = {InputRefusal::kUnreadable, "no descriptor"};
    return nullptr;
  }
  return std::unique_ptr<InputFile>(new InputFile(descriptor, static_cast<std::uint64_t>(size.QuadPart)));
}

InputFile::~InputFile() {
  if (descriptor_ >= 0) _close(descriptor_);
}

std::size_t InputFile::ReadAt(std::uint64_t offset, void* out, std::size_t count) const {
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor_));
  std::size_t done = 0;
  while (done < count) {
    const std::uint64_t at = offset + done;
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(at);
    where.OffsetHigh = static_cast<DWORD>(at >> 32);
    const std::size_t left = count - done;
    DWORD got = 0;
    if (!ReadFile(handle, static_cast<char*>(out) + done,
                  left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left), &got, &where) ||
        got == 0)
      break;
    done += got;
  }
  return done;
}

int InputFile::Release() {
  // A read at an offset moves a synchronous handle's position: back to the
  // start for the reader.
  if (descriptor_ >= 0) _lseeki64(descriptor_, 0, SEEK_SET);
  const int descriptor = descriptor_;
  descriptor_ = -1;
  return descriptor;
}

}  // namespace kalvo5::meter
