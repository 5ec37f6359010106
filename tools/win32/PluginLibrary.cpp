// Loading a Windows VST 2 plug-in (a DLL) and finding its entry point.
#include "tools/PluginLibrary.h"

#include <windows.h>

#include <filesystem>
#include <system_error>

#include "platform/TextEncoding.h"

namespace kalvo5::meter {

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
    error = "cannot load plug-in " + name + ": error " + std::to_string(GetLastError());
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
