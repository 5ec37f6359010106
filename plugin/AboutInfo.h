// The About box's text: the product and the current processing context.
#pragma once

#include <string>

#include "framework/iplug/IPlugProcessor.h"
#include "framework/iplug/IPluginBase.h"

namespace kalvo5 {

// Facts read from the processor and the host identity when the box is built.
struct AboutFacts {
  const char* hostName = "Unknown";
  int inputsConnected = 0;
  int outputsConnected = 0;
  int inputsSupported = 0;
  int outputsSupported = 0;
  int latencySamples = 0;
  double sampleRate = 48000.0;
  int blockSize = 0;
};

// The facts as the processor and the host identity give them now: connected
// and supported channel counts, latency, sample rate, block size, host name.
AboutFacts GatherAboutFacts(const iplug::IPlugProcessor& processor, const iplug::IPluginBase& plugin);

// The "Format:" line names this build: plug-in API, architecture, and the
// drawing back end and window system.
std::string AboutFormatLine();

// The whole text, one "\n"-terminated line per entry. Numbers are printed in
// the C locale whatever locale the host set.
std::string BuildAboutText(const AboutFacts& facts);

}  // namespace kalvo5
