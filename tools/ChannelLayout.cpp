#include "tools/ChannelLayout.h"

namespace kalvo5::meter {

std::vector<std::pair<std::string, std::string>> ChannelConfigurationsFor(int channels) {
  static const char* const kLoudness[7] = {nullptr, "1.0", "2.0", nullptr, "4.0", "4.1", "5.1"};
  static const char* const kRms[7] = {nullptr, "Left", "Stereo", nullptr, "4 Ch.", nullptr, "6 Ch."};
  std::vector<std::pair<std::string, std::string>> result;
  if (channels < 1 || channels > 6) return result;
  if (const char* text = kRms[channels]) result.emplace_back("RMS Channel Config", text);
  if (const char* text = kLoudness[channels]) {
    result.emplace_back("EBU Channel Config", text);
    result.emplace_back("Dial Channel Config", text);
  }
  return result;
}

}  // namespace kalvo5::meter
