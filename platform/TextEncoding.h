// Conversions between the UTF-8 text held in memory and the encodings the
// system's interfaces take: the 8-bit code page that preset files store
// names in, and the form of paths handed to file calls. The system encoding
// here is UTF-8, so all of them are the identity; they stay separate so that
// a build for a system with another code page or with UTF-16 file calls can
// fill them in.
#pragma once

#include <string>
#include <string_view>

namespace platform {

inline std::string CodePageToUtf8(std::string_view text) { return std::string(text); }
inline std::string Utf8ToCodePage(std::string_view text) { return std::string(text); }

// The string type file calls take, and the conversions to and from it.
using SystemPath = std::string;
inline SystemPath Utf8ToSystemPath(std::string_view path) { return SystemPath(path); }
inline std::string SystemPathToUtf8(const SystemPath& path) { return path; }

}  // namespace platform
