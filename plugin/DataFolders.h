// The per-user folders of the plug-in: the data folder named after the
// product and the preset folder inside it. Computed and created once, at
// construction.
#pragma once

#include <string>

#include "platform/DataFolders.h"
#include "platform/Paths.h"

namespace kalvo5 {

// Creates one folder level when nothing exists at the path (a file of that
// name is left alone). True when a folder exists there afterwards.
inline bool EnsureFolder(const std::string& path) { return platform::EnsureFolder(path); }

// Joins a folder and a name with "/".
inline std::string JoinPath(const std::string& folder, const std::string& name) {
  return platform::JoinPath(folder, name);
}

class IMPlugPaths {
 public:
  // Computes both paths and creates the folders that are missing. Both stay
  // empty (no presets, no manual) when the per-user data folder cannot be
  // found or made, as under a home folder that does not exist.
  void InitPaths(const char* productName);

  const std::string& DataFolder() const { return mDataFolder; }
  const std::string& PresetFolder() const { return mPresetFolder; }

 protected:
  std::string mDataFolder;    // no trailing separator
  std::string mPresetFolder;  // mDataFolder + "/VST2"
};

}  // namespace kalvo5
