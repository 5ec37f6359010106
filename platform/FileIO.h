// Reading and replacing whole files.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Reads a regular file of 1 to maxBytes bytes whole into `bytes`. A folder,
// a FIFO, a device or anything else that is not a regular file is refused
// without waiting on it. False (and `bytes` empty) when nothing could be
// read.
bool ReadWholeFile(const std::string& path, std::string& bytes, long long maxBytes);

// Reads at most the first maxBytes bytes of a regular file (refused as
// ReadWholeFile refuses), however long the file is; `whole` tells whether
// that was all of it. False (and `bytes` empty) when nothing could be read.
bool ReadFileStart(const std::string& path, std::string& bytes, long long maxBytes, bool& whole);

// Replaces the file at `path` with `bytes`: written to a new file in the same
// folder, flushed to disk, then renamed over the target, so that a failure
// (full disk, folder not writable) leaves the old file as it was and no
// half-written file behind. True when the file now holds the bytes; else
// `failure`, when given, receives the system's reason (e.g. "No space left
// on device").
bool WriteFileReplacing(const std::string& path, std::string_view bytes, std::string* failure = nullptr);

}  // namespace platform
