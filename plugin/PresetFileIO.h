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

// Enough of a preset file's start to hold its header in every file we write,
// a name of 255 characters written as entities included.
inline constexpr long long kPresetHeadBytes = 2048;

// Reads at most the first kPresetHeadBytes of a preset file, line ends made
// "\n" as above; `whole` tells whether that was all of the file. Refuses
// what ReadPresetFileText refuses, except a file beyond the size limit.
bool ReadPresetFileHead(const std::string& path, std::string& text, bool& whole);

}  // namespace kalvo5
