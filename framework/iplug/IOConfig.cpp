#include "IOConfig.h"

#include <algorithm>
#include <charconv>

namespace iplug {

namespace {

// Splits text at every occurrence of separator; empty pieces are kept.
std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(separator, start);
    pieces.push_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
    if (at == std::string_view::npos) break;
    start = at + 1;
  }
  return pieces;
}

int BusChannels(std::string_view bus) {
  if (bus == "*") return kAnyChannelCount;
  int channels = 0;
  const auto result = std::from_chars(bus.data(), bus.data() + bus.size(), channels);
  return result.ec == std::errc() ? channels : 0;
}

void ParseSide(std::string_view side, ERoute direction, IOConfig& config) {
  for (std::string_view bus : Split(side, '.')) {
    const int channels = BusChannels(bus);
    if (channels != 0) config.buses[direction].push_back({direction, channels});
  }
}

}  // namespace

int IOConfig::NChannels(ERoute direction) const {
  int total = 0;
  for (const BusInfo& bus : buses[direction]) total += bus.nChannels;
  return total;
}

ParsedChannelIO ParseChannelIO(std::string_view text) {
  ParsedChannelIO parsed;
  for (std::string_view item : Split(text, ' ')) {
    if (item.empty()) continue;
    const std::size_t hyphen = item.find('-');
    IOConfig config;
    ParseSide(item.substr(0, hyphen), kInput, config);
    if (hyphen != std::string_view::npos) ParseSide(item.substr(hyphen + 1), kOutput, config);
    parsed.maxInputs = std::max(parsed.maxInputs, config.NChannels(kInput));
    parsed.maxOutputs = std::max(parsed.maxOutputs, config.NChannels(kOutput));
    parsed.configs.push_back(std::move(config));
  }
  return parsed;
}

bool IsLegalIO(const std::vector<IOConfig>& configs, int inputs, int outputs) {
  return std::any_of(configs.begin(), configs.end(), [&](const IOConfig& config) {
    return (inputs == -1 || config.NChannels(kInput) == inputs) &&
           (outputs == -1 || config.NChannels(kOutput) == outputs);
  });
}

}  // namespace iplug
