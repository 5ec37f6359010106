// Streams an audio source through a plug-in instance in blocks, as a DAW's
// offline render does: processing on, transport playing from sample 0,
// offline process level, then processing off.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tools/AudioSource.h"
#include "tools/PluginInstance.h"

namespace kalvo5::meter {

// Receives the plug-in's output, block by block (channel pointers, frames).
using OutputSink = std::function<bool(const double* const* channels, int channelCount, std::int64_t frames)>;

struct RenderOptions {
  int blockSize = 512;
  bool doublePrecision = true;  // processDoubleReplacing; else processReplacing
  // Record a timeline of the plug-in's automation writes every automation
  // period. Processing then waits at each period for the plug-in's write.
  bool timeline = false;
  double automationPeriodSeconds = 50 * 0.001;  // computed as the plug-in does
  std::chrono::milliseconds automationTimeout{1000};
  std::function<void(double fraction)> progress;  // 0 ... 1, called now and then
  OutputSink output;                              // optional
};

// The plug-in's written values at one moment of the audio: for each parameter
// written so far, its index and display text.
struct TimelineRow {
  double seconds = 0.0;
  std::vector<std::pair<int, std::string>> values;
};

struct RenderResult {
  bool ok = false;
  std::string error;
  std::vector<std::string> warnings;
  std::int64_t frames = 0;
  std::vector<TimelineRow> timeline;
};

// Frames in one automation period at this rate (at least 1).
std::int64_t AutomationPeriodFrames(double sampleRate, double seconds);

// The instance must be configured (PluginInstance::Configure) for the
// source's sample rate and options.blockSize, and must have at least as many
// inputs as the source has channels; inputs beyond them get silence.
RenderResult Render(PluginInstance& plugin, AudioSource& source, const RenderOptions& options);

}  // namespace kalvo5::meter
