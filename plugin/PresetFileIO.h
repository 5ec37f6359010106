// Reading preset files as whole texts.
#pragma once

#include <string>

namespace kalvo5 {

// Files beyond this size are not preset files (ours hold about 5 KB).
inline constexpr long long kMaxPresetFileBytes = 4LL << 20;

// Reads a regular file of at most kMaxPresetFileBytes whole, with line ends
// made "\n" (CR LF and a lone CR both become LF). A folder, a FIFO, a device
// or anything else that is not a regular file is refused without waiting on
// it. False when nothing could be read.
bool ReadPresetFileText(const std::string& path, std::string& text);

}  // namespace kalvo5
