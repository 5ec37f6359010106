// Streams an audio source through one or more plug-in instances in blocks,
// as a DAW's offline render does: processing on, transport playing from
// sample 0, offline process level, then processing off. Every instance gets
// the same blocks.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/AudioSource.h"
#include "tools/PluginInstance.h"
#include "tools/Timeline.h"

namespace kalvo5::meter {

// Receives the first instance's output, block by block (channel pointers,
// frames).
using OutputSink = std::function<bool(const double* const* channels, int channelCount, std::int64_t frames)>;

struct RenderOptions {
  int blockSize = 512;
  bool doublePrecision = true;                        // processDoubleReplacing; else processReplacing
  bool timeline = false;                              // take a timeline row at every automation period
  std::function<void(std::int64_t frames)> progress;  // frames done so far, called now and then
  OutputSink output;                                  // optional
};

struct RenderResult {
  bool ok = false;
  std::string error;
  std::int64_t frames = 0;  // frames actually read and processed
  double samplePeak = 0.0;  // the largest finite sample read, as a magnitude
  // The output sink failed: it got nothing more, the measurement went on.
  bool outputFailed = false;
  // What is wrong with the audio read (DamageCheck); the readings then
  // cover what could be read.
  std::vector<std::string> damage;
  std::vector<TimelineRow> timeline;
};

// Frames in one automation period (50 ms) at this rate, counted as the
// plug-in counts them (at least 1).
std::int64_t AutomationPeriodFrames(double sampleRate);

// Blocks never cross an automation period boundary, so the values a plug-in
// writes at the end of the process call in which a period completed belong
// to exactly that moment; a timeline row is taken right after that call.
// Processing is switched off after the last block the source delivered,
// whatever length it announced, and the values the plug-in writes then are
// its final readings.
//
// Each instance must be configured (PluginInstance::Configure) for the
// source's sample rate and options.blockSize, and must have at least as many
// inputs as the source has channels; inputs beyond them get silence.
RenderResult Render(const std::vector<PluginInstance*>& instances, AudioSource& source,
                    const RenderOptions& options);

}  // namespace kalvo5::meter
