// Text outputs through a PendingFile, on every system.
#include <cerrno>
#include <cstring>
#include <fstream>

#include "platform/TextEncoding.h"
#include "tools/OutputFile.h"

namespace kalvo5::meter {

bool WriteTextFile(const std::string& path, const std::function<void(std::ostream&)>& write,
                   std::string& error) {
  auto pending = PendingFile::Create(path, error);
  if (!pending) return false;
  std::ofstream file(platform::Utf8ToFsPath(pending->TemporaryPath()), std::ios::binary);
  if (file) write(file);
  file.close();
  if (file.fail()) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  return pending->Commit(error);
}

}  // namespace kalvo5::meter
