#include "plugin/AboutInfo.h"

#include <cmath>
#include <string_view>

#include "framework/iplug/NumberText.h"
#include "version/Version.h"

namespace kalvo5 {
namespace {

std::string Fixed(double value, int decimals) {
  char text[64];
  const std::size_t length = iplug::FormatFixed(text, sizeof text, value, decimals);
  return std::string(text, length);
}

std::string Line(std::string_view label, const std::string& value) {
  std::string line(label);
  line += value;
  line += '\n';
  return line;
}

#if defined(__x86_64__) || defined(_M_X64)
constexpr const char* kArchitecture = "x86-64";
constexpr const char* kProcessorFamily = "INTEL";
#elif defined(__i386__) || defined(_M_IX86)
constexpr const char* kArchitecture = "x86-32";
constexpr const char* kProcessorFamily = "INTEL";
#elif defined(__aarch64__)
constexpr const char* kArchitecture = "arm64";
constexpr const char* kProcessorFamily = "ARM";
#else
constexpr const char* kArchitecture = "unknown";
constexpr const char* kProcessorFamily = "UNKNOWN";
#endif

}  // namespace

AboutFacts GatherAboutFacts(const iplug::IPlugProcessor& processor, const iplug::IPluginBase& plugin) {
  AboutFacts facts;
  facts.hostName = iplug::HostDisplayName(plugin.GetHost());
  facts.inputsConnected = processor.NChannelsConnected(iplug::kInput);
  facts.outputsConnected = processor.NChannelsConnected(iplug::kOutput);
  facts.inputsSupported = processor.MaxNChannels(iplug::kInput);
  facts.outputsSupported = processor.MaxNChannels(iplug::kOutput);
  facts.latencySamples = processor.GetLatency();
  facts.sampleRate = processor.GetSampleRate();
  facts.blockSize = processor.GetBlockSize();
  return facts;
}

// The window system the editor runs on: the build names it.
#ifndef KALVO5_WINDOW_SYSTEM
#define KALVO5_WINDOW_SYSTEM "X11"
#endif

std::string AboutFormatLine() {
  return std::string("VST2 ") + kArchitecture + " (" + kProcessorFamily +
         ", CAIRO, " KALVO5_WINDOW_SYSTEM ")";
}

std::string BuildAboutText(const AboutFacts& facts) {
  const std::string channels =
      std::to_string(facts.inputsConnected) + "-" + std::to_string(facts.outputsConnected) + " (" +
      std::to_string(facts.inputsSupported) + "-" + std::to_string(facts.outputsSupported) + ")";
  const double rate = std::isfinite(facts.sampleRate) && facts.sampleRate > 0.0 ? facts.sampleRate : 48000.0;
  const double delayMs = facts.latencySamples * 1000.0 / rate;

  std::string text;
  text += Line("Manufacturer: ", "Vantorel");
  text += Line("Plugin name: ", "Kalvo5");
  text += Line("Version: ", kVersionText);
  text += Line("Build date: ", __DATE__);  // "Mmm dd yyyy", a one-digit day padded with a blank
  text += Line("Build time: ", __TIME__);
  text += "\n";
  text += Line("Format: ", AboutFormatLine());
  text += Line("Host: ", facts.hostName != nullptr ? facts.hostName : "Unknown");
  text += Line("Channels: ", channels);
  text +=
      Line("Plugin delay: ", std::to_string(facts.latencySamples) + " smp (" + Fixed(delayMs, 1) + " ms)");
  text += Line("Sample Rate: ", Fixed(facts.sampleRate, 2) + " Hz");
  text += Line("Block Size: ", std::to_string(facts.blockSize) + " smp");
  text += "\n";
  text += "Trademarks:\n";
  text += "VST/VST3: Steinberg Media Technologies GmbH\n";
  text += "AAX: Avid Technology Inc.\n";
  text += "AU: Apple Inc.\n";
  return text;
}

}  // namespace kalvo5
