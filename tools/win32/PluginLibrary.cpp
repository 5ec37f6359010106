// Loading a Windows VST 2 plug-in (a DLL) and finding its entry point.
#include "tools/PluginLibrary.h"

#include <windows.h>

#include <filesystem>
#include <system_error>

#include "platform/TextEncoding.h"

namespace kalvo5::meter {

namespace {

// The processor a PE file is built for (its COFF header's Machine field),
// or 0 when the file is no PE image.
WORD MachineOf(const std::filesystem::path& file) {
  HANDLE handle =
      CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return 0;
  BYTE header[4096] = {};
  DWORD read = 0;
  const bool ok = ReadFile(handle, header, sizeof header, &read, nullptr) != 0;
  CloseHandle(handle);
  if (!ok || read < 0x40 || header[0] != 'M' || header[1] != 'Z') return 0;
  const DWORD pe =
      header[0x3C] | (header[0x3D] << 8) | (header[0x3E] << 16) | (static_cast<DWORD>(header[0x3F]) << 24);
  if (pe > read - 6 || header[pe] != 'P' || header[pe + 1] != 'E' || header[pe + 2] != 0 ||
      header[pe + 3] != 0)
    return 0;
  return static_cast<WORD>(header[pe + 4] | (header[pe + 5] << 8));
}

// Why a DLL built for the other architecture does not load, and what to
// load instead; empty for any other file.
std::string OtherArchitecture(const std::filesystem::path& file) {
  const WORD machine = MachineOf(file);
  const bool ours64 = sizeof(void*) == 8;
  if (ours64 && machine == IMAGE_FILE_MACHINE_I386)
    return "it is a 32-bit (x86) DLL and this meter is 64-bit: load the 64-bit (x64) Kalvo5.dll instead";
  if (!ours64 && machine == IMAGE_FILE_MACHINE_AMD64)
    return "it is a 64-bit (x64) DLL and this meter is 32-bit: load the 32-bit (x86) Kalvo5.dll instead";
  return {};
}

}  // namespace

std::unique_ptr<PluginLibrary> PluginLibrary::Open(const std::string& path, std::string& error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path file = fs::u8path(path);
  if (!fs::exists(file, ec) && file.extension() != ".dll" && fs::exists(fs::u8path(path + ".dll"), ec))
    file = fs::u8path(path + ".dll");
  if (!fs::is_regular_file(file, ec)) {
    error = "plug-in not found: " + path;
    return nullptr;
  }
  const fs::path absolute = fs::absolute(file, ec);
  if (!ec) file = absolute;
  const std::string name = platform::SystemPathToUtf8(file.wstring());
  // The library stays loaded: plug-ins may keep threads of their own
  // running past the last instance.
  const HMODULE module = LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module) {
    const DWORD code = GetLastError();
    const std::string other = code == ERROR_BAD_EXE_FORMAT ? OtherArchitecture(file) : std::string();
    error = "cannot load plug-in " + name + ": " + (other.empty() ? "error " + std::to_string(code) : other);
    return nullptr;
  }
  std::unique_ptr<PluginLibrary> library(new PluginLibrary());
  library->path_ = name;
  library->folder_ = platform::SystemPathToUtf8(file.parent_path().wstring());
  for (const char* entry : {"VSTPluginMain", "main"}) {
    if (const FARPROC symbol = GetProcAddress(module, entry)) {
      library->entry_ = reinterpret_cast<vst2::PluginEntryProc>(reinterpret_cast<void*>(symbol));
      library->entryName_ = entry;
      break;
    }
  }
  if (!library->entry_) {
    error = "not a VST 2 plug-in (exports neither VSTPluginMain nor main): " + name;
    return nullptr;
  }
  return library;
}

PluginLibrary::~PluginLibrary() = default;

}  // namespace kalvo5::meter
