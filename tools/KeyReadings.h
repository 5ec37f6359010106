// The readings a loudness engineer compares Kalvo5's analyzer types by, by
// the name they have in every type ("IL" for "OUT:EBU IL"), with their short
// headings: the library view's columns and the report page's header.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kalvo5::meter {

using KeyReadingList = std::vector<std::pair<std::string, std::string>>;  // reading, heading

// Those of the type; null for a type that is not Kalvo5's.
const KeyReadingList* KeyReadingsOf(const std::string& type);

}  // namespace kalvo5::meter
