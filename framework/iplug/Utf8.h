// Well-formed UTF-8, byte by byte: what the texts kept in memory, written to
// files and handed to hosts are checked against.
#pragma once

#include <cstddef>
#include <string_view>

namespace iplug {

// What stands in for a byte that belongs to no well-formed sequence.
inline constexpr std::string_view kUtf8Replacement = "\xEF\xBF\xBD";  // U+FFFD

// The length of the well-formed sequence at `at`, or 0 when there is none
// (overlong forms, surrogates, values above U+10FFFF and sequences cut by
// the end of the text included).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);

}  // namespace iplug
