#include "platform/SystemOpener.h"

#include "platform/ChildProcess.h"
#include "platform/DataFolders.h"
#include "platform/Paths.h"

namespace platform {

bool OpenWithSystem(const std::string& address) {
  if (address.empty() || address[0] == '-') return false;
  const std::string opener = FindProgram("xdg-open");
  return !opener.empty() && StartDetached(opener, {address});
}

bool RevealInFileManager(const std::string& path) {
  const std::string folder = IsFolder(path) ? path : FolderOf(path);
  return IsFolder(folder) && OpenWithSystem(folder);
}

}  // namespace platform
