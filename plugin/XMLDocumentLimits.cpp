#include "plugin/XMLDocumentLimits.h"

namespace kalvo5 {

DocumentRefusal CheckDocumentLimits(std::string_view text) {
  if (text.size() > kMaxDocumentBytes) return DocumentRefusal::TooLarge;
  int elements = 0;
  int attributes = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '=') {
      if (++attributes > kMaxDocumentAttributes) return DocumentRefusal::TooManyAttributes;
    } else if (text[i] == '<' && i + 1 < text.size()) {
      const char next = text[i + 1];
      if (next != '/' && next != '!' && next != '?' && ++elements > kMaxDocumentElements)
        return DocumentRefusal::TooManyElements;
    }
  }
  return DocumentRefusal::None;
}

std::string DocumentRefusalReason(DocumentRefusal refusal) {
  switch (refusal) {
    case DocumentRefusal::TooLarge:
      return "larger than " + std::to_string(kMaxDocumentBytes) + " bytes";
    case DocumentRefusal::TooManyElements:
      return "more than " + std::to_string(kMaxDocumentElements) + " elements";
    case DocumentRefusal::TooManyAttributes:
      return "more than " + std::to_string(kMaxDocumentAttributes) + " attributes";
    case DocumentRefusal::None:
      break;
  }
  return {};
}

}  // namespace kalvo5
