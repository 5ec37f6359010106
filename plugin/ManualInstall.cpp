#include "ManualInstall.h"

#include "DataFolders.h"
#include "graphics/Resources.h"
#include "platform/FileIO.h"
#include "resources/manual/ManualResource.h"

namespace kalvo5 {

bool InstallFileIfChanged(const std::string& path, std::string_view bytes) {
  if (bytes.empty()) return false;
  // A longer file cannot be read within the limit: it differs.
  std::string present;
  if (platform::ReadWholeFile(path, present, static_cast<long long>(bytes.size())) && present == bytes)
    return true;
  return platform::WriteFileReplacing(path, bytes);
}

bool InstallManual(const std::string& dataFolder) {
  if (dataFolder.empty()) return false;
  resources::RegisterManualResource();
  const graphics::Resource* manual = graphics::FindResource(kManualFileName);
  if (!manual) return false;
  const std::string_view bytes(reinterpret_cast<const char*>(manual->data), manual->size);
  return InstallFileIfChanged(JoinPath(dataFolder, kManualFileName), bytes);
}

}  // namespace kalvo5
