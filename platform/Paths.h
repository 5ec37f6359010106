// Joining and splitting file paths held as UTF-8 text.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Joins a folder and a name with "/" (no second separator when the folder
// already ends with one; the bare name when the folder is empty).
std::string JoinPath(const std::string& folder, const std::string& name);

// The part after the last "/" or "\\" (the whole path when it has neither):
// paths typed or stored on Windows split the same way as our own.
std::string FileNameOf(std::string_view path);

// The part before the last "/" or "\\", without that separator; "/" for a
// name right under the root, empty when the path has no separator.
std::string FolderOf(std::string_view path);

}  // namespace platform
