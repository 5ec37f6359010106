// Conversions between the UTF-8 text held in memory and the encodings the
// system's interfaces take: the 8-bit text that preset files store names in,
// and the form of paths handed to file calls.
//
// Preset files hold names as UTF-8 on every system, so that a file moves
// between Linux and Windows unchanged. On Linux the system encoding is UTF-8
// and every conversion is the identity. On Windows paths are UTF-16 at the
// system boundary (platform/win32/TextEncoding.cpp), and a name read from a
// file that is not valid UTF-8 is taken to be in the system's ANSI code page,
// the form older Windows builds wrote.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

#ifdef _WIN32

std::string CodePageToUtf8(std::string_view text);
std::string Utf8ToCodePage(std::string_view text);

// UTF-16 text for the system's wide calls, and back; invalid input becomes
// U+FFFD.
std::wstring Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::wstring_view text);

// The string type file calls take: UTF-16 with "\" as the separator.
using SystemPath = std::wstring;
SystemPath Utf8ToSystemPath(std::string_view path);
std::string SystemPathToUtf8(const SystemPath& path);

#else

inline std::string CodePageToUtf8(std::string_view text) { return std::string(text); }
inline std::string Utf8ToCodePage(std::string_view text) { return std::string(text); }

// The string type file calls take, and the conversions to and from it.
using SystemPath = std::string;
inline SystemPath Utf8ToSystemPath(std::string_view path) { return SystemPath(path); }
inline std::string SystemPathToUtf8(const SystemPath& path) { return path; }

#endif

// A std::filesystem path (for its queries and for file streams) from UTF-8
// text, and back. A path built from a narrow string is read in the ANSI code
// page on Windows, which garbles or refuses every other character.
inline std::filesystem::path Utf8ToFsPath(std::string_view path) {
  return std::filesystem::path(Utf8ToSystemPath(path));
}
inline std::string FsPathToUtf8(const std::filesystem::path& path) { return SystemPathToUtf8(path.native()); }

}  // namespace platform
