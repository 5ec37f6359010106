// The per-user folders of the plug-in: the data folder named after the
// product and the preset folder inside it. Computed and created once, at
// construction.
#pragma once

#include <string>

namespace kalvo5 {

// The per-user data folder of applications: $XDG_DATA_HOME when it is an
// absolute path, else $HOME/.local/share (the home folder from the password
// database when HOME is unset). Empty when none can be found.
std::string LocalAppDataFolder();

// Creates one folder level when nothing exists at the path (a file of that
// name is left alone). True when a folder exists there afterwards.
bool EnsureFolder(const std::string& path);

// Joins a folder and a name with "/".
std::string JoinPath(const std::string& folder, const std::string& name);

class IMPlugPaths {
 public:
  // Computes both paths and creates the folders that are missing.
  void InitPaths(const char* productName);

  const std::string& DataFolder() const { return mDataFolder; }
  const std::string& PresetFolder() const { return mPresetFolder; }

 protected:
  std::string mDataFolder;    // no trailing separator
  std::string mPresetFolder;  // mDataFolder + "/VST2"
};

}  // namespace kalvo5
