// Reading the text/uri-list a file manager gives for dropped files.
// Internal to this library (its tests use it too).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace graphics {

// The local paths of the file:// addresses in `list` (one a line, "#" lines
// are comments), percent-decoded. Addresses of other schemes, of hosts other
// than "localhost" or `hostName`, or that decode to something unusable
// (a bad escape, a NUL byte, no leading "/") are left out.
std::vector<std::string> FilePathsFromUriList(std::string_view list, std::string_view hostName);

}  // namespace graphics
