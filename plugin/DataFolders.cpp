#include "DataFolders.h"

namespace kalvo5 {

void IMPlugPaths::InitPaths(const char* productName) {
  mDataFolder.clear();
  mPresetFolder.clear();
  const std::string base = platform::EnsureLocalAppDataFolder();
  if (base.empty()) return;
  mDataFolder = JoinPath(base, productName);
  EnsureFolder(mDataFolder);
  mPresetFolder = JoinPath(mDataFolder, "VST2");
  EnsureFolder(mPresetFolder);
}

}  // namespace kalvo5
