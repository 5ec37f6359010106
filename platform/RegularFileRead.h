// The system's part of reading files whole or in part (FileIO.cpp,
// win32/FileIO.cpp); FileRead.cpp builds the public reads on it. Internal.
#pragma once

#include <string>

namespace platform::detail {

// Reads the first min(size, maxBytes) bytes of a regular file, or refuses a
// file beyond maxBytes when `wholeOnly`. `size` receives the file's size.
// Anything that is not a regular file is refused without waiting on it.
bool ReadRegularFile(const std::string& path, std::string& bytes, long long maxBytes, bool wholeOnly,
                     long long& size);

}  // namespace platform::detail
