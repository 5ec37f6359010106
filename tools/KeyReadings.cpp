#include "tools/KeyReadings.h"

#include <map>

namespace kalvo5::meter {

const KeyReadingList* KeyReadingsOf(const std::string& type) {
  static const std::map<std::string, KeyReadingList> kByType = {
      {"EBU", {{"IL", "I"}, {"LRA", "LRA"}, {"TP Max", "TP max"}, {"ML Max", "M max"}, {"SL Max", "S max"}}},
      {"DIAL",
       {{"IL", "I"}, {"LRA", "LRA"}, {"Percentage", "speech"}, {"SL Max", "S max"}, {"TP Max", "TP max"}}},
      {"RMS",
       {{"IL", "I"},
        {"ML Max", "M max"},
        {"Peak Max", "peak max"},
        {"TP Max", "TP max"},
        {"Crest", "crest"}}},
  };
  const auto found = kByType.find(type);
  return found == kByType.end() ? nullptr : &found->second;
}

}  // namespace kalvo5::meter
