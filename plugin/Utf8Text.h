// Keeping texts valid UTF-8. TinyXML steps over a multi-byte character by
// the length its first byte announces, so a stray byte of 0x80 or above
// right before a closing quote swallows the quote and with it the rest of
// the document. Names are made valid before they are written, and texts
// before they are parsed.
#pragma once

#include <string>
#include <string_view>

namespace kalvo5 {

// The text with every byte that does not belong to a well-formed UTF-8
// sequence replaced by U+FFFD; a valid text comes back unchanged.
std::string ValidUtf8(std::string_view text);

}  // namespace kalvo5
