// Conversions between the UTF-8 names held in memory and the system's 8-bit
// code page that preset files store names in. The system encoding here is
// UTF-8, so both are the identity; they stay separate so that a build for a
// system with another code page can fill them in.
#pragma once

#include <string>
#include <string_view>

namespace kalvo5 {

inline std::string CodePageToUtf8(std::string_view text) { return std::string(text); }
inline std::string Utf8ToCodePage(std::string_view text) { return std::string(text); }

}  // namespace kalvo5
