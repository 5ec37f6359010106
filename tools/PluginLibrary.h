// Loading a Linux VST 2 plug-in file and finding its entry point.
#pragma once

#include <memory>
#include <string>

#include "vst2/VSTInterface.h"

namespace kalvo5::meter {

class PluginLibrary {
 public:
  // Opens a plug-in: a shared object, a path without its ".so", or a bundle
  // folder ("X.vst") holding exactly one shared object. Looks up
  // "VSTPluginMain" first and "main" second. Null with a message in error
  // when the file is missing, is no loadable library or exports neither.
  static std::unique_ptr<PluginLibrary> Open(const std::string& path, std::string& error);

  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  vst2::PluginEntryProc Entry() const { return entry_; }
  const std::string& EntryName() const { return entryName_; }  // "VSTPluginMain" or "main"
  const std::string& Path() const { return path_; }            // the file actually opened
  const std::string& Folder() const { return folder_; }        // its folder, for audioMasterGetDirectory

 private:
  PluginLibrary() = default;

  void* handle_ = nullptr;
  vst2::PluginEntryProc entry_ = nullptr;
  std::string entryName_;
  std::string path_;
  std::string folder_;
};

}  // namespace kalvo5::meter
