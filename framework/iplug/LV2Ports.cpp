#include "LV2Ports.h"

namespace iplug {

LV2PortLayout::Port LV2PortLayout::Find(std::uint32_t port) const {
  const auto at = static_cast<std::int64_t>(port);
  const std::int64_t channels = mChannels;
  if (at < channels) return {Kind::AudioIn, static_cast<int>(at)};
  if (at < 2 * channels) return {Kind::AudioOut, static_cast<int>(at - channels)};
  if (port == MessagesIn()) return {Kind::MessagesIn, 0};
  if (port == MessagesOut()) return {Kind::MessagesOut, 0};
  if (port >= Param(0) && port < Latency()) return {Kind::Param, static_cast<int>(port - Param(0))};
  if (port == Latency()) return {Kind::Latency, 0};
  return {};
}

std::string LV2Symbol(std::string_view name) {
  std::string symbol;
  bool gap = false;
  for (const char c : name) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool digit = c >= '0' && c <= '9';
    if (!letter && !digit) {
      gap = !symbol.empty();
      continue;
    }
    if (gap) symbol += '_';
    gap = false;
    if (symbol.empty() && digit) symbol += 'p';
    symbol += static_cast<char>(letter && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  return symbol.empty() ? "p" : symbol;
}

}  // namespace iplug
