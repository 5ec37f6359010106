// What a settings document may hold before TinyXML is given it. TinyXML
// compares every new attribute of an element with all the element's earlier
// ones (time grows with the square of their number, times the length of
// their names) and recurses once per level of nesting. One linear pass over
// the bytes bounds all of that, so that no chunk or file can hold the host
// for longer than a few milliseconds. Our documents hold about 5 KB, 63
// elements and 117 attributes, far inside every limit.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kalvo5 {

inline constexpr std::size_t kMaxDocumentBytes = std::size_t{1} << 20;
inline constexpr int kMaxDocumentElements = 1024;
inline constexpr int kMaxDocumentAttributes = 512;

enum class DocumentRefusal {
  None,
  TooLarge,           // more than kMaxDocumentBytes
  TooManyElements,    // more than kMaxDocumentElements start tags
  TooManyAttributes,  // more than kMaxDocumentAttributes
};

// Checks a document's bytes against the limits without parsing them. The
// counts err on the safe side: every element starts with "<" followed by a
// name character, and every attribute needs a "=", so counting each such
// "<" and each "=" anywhere (texts and values included) never counts fewer
// than TinyXML would find.
DocumentRefusal CheckDocumentLimits(std::string_view text);

// Why a document was refused, e.g. "more than 512 attributes"; empty for
// None.
std::string DocumentRefusalReason(DocumentRefusal refusal);

}  // namespace kalvo5
