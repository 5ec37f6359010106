#include "tools/PluginLibrary.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>
#include <vector>

namespace kalvo5::meter {
namespace {

namespace fs = std::filesystem;

// Resolves what the user named into the shared object to open.
bool ResolvePluginFile(const std::string& path, std::string& file, std::string& error) {
  std::error_code ec;
  fs::path p(path);
  if (!fs::exists(p, ec) && p.extension() != ".so" && fs::exists(fs::path(path + ".so"), ec)) {
    p = path + ".so";
  }
  if (!fs::exists(p, ec)) {
    error = "plug-in not found: " + path;
    return false;
  }
  if (fs::is_directory(p, ec)) {
    std::vector<fs::path> objects;
    for (const auto& entry : fs::directory_iterator(p, ec)) {
      if (entry.is_regular_file(ec) && entry.path().extension() == ".so") objects.push_back(entry.path());
    }
    if (objects.size() != 1) {
      error = "plug-in folder " + path + " does not hold exactly one .so file";
      return false;
    }
    p = objects.front();
  }
  file = fs::absolute(p, ec).string();
  if (ec) file = p.string();
  return true;
}

}  // namespace

std::unique_ptr<PluginLibrary> PluginLibrary::Open(const std::string& path, std::string& error) {
  std::string file;
  if (!ResolvePluginFile(path, file, error)) return nullptr;

  // The library stays mapped after dlclose: plug-ins may keep threads of
  // their own running past the last instance.
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (handle == nullptr) {
    const char* reason = dlerror();
    error = "cannot load plug-in " + file + ": " + (reason != nullptr ? reason : "unknown reason");
    return nullptr;
  }

  std::unique_ptr<PluginLibrary> library(new PluginLibrary());
  library->handle_ = handle;
  library->path_ = file;
  library->folder_ = fs::path(file).parent_path().string();
  for (const char* name : {"VSTPluginMain", "main"}) {
    dlerror();
    void* symbol = dlsym(handle, name);
    if (symbol == nullptr) continue;
    // A symbol of another loaded object (found through the library's
    // dependencies) is not this plug-in's entry point.
    Dl_info info{};
    if (dladdr(symbol, &info) != 0 && info.dli_fname != nullptr) {
      std::error_code ec;
      if (!fs::equivalent(fs::path(info.dli_fname), fs::path(file), ec)) continue;
    }
    library->entry_ = reinterpret_cast<vst2::PluginEntryProc>(symbol);
    library->entryName_ = name;
    break;
  }
  if (library->entry_ == nullptr) {
    error = "not a VST 2 plug-in (exports neither VSTPluginMain nor main): " + file;
    return nullptr;
  }
  return library;
}

PluginLibrary::~PluginLibrary() {
  if (handle_ != nullptr) dlclose(handle_);
}

}  // namespace kalvo5::meter
