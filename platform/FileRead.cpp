// Reading files whole or their start, on every system.
#include "platform/FileIO.h"
#include "platform/RegularFileRead.h"

namespace platform {

bool ReadWholeFile(const std::string& path, std::string& bytes, long long maxBytes) {
  long long size = 0;
  return detail::ReadRegularFile(path, bytes, maxBytes, true, size);
}

bool ReadFileStart(const std::string& path, std::string& bytes, long long maxBytes, bool& whole) {
  long long size = 0;
  const bool read = detail::ReadRegularFile(path, bytes, maxBytes, false, size);
  whole = read && static_cast<long long>(bytes.size()) >= size;
  return read;
}

}  // namespace platform
