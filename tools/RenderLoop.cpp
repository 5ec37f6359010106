#include "tools/RenderLoop.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "tools/DamageCheck.h"
#include "tools/InstanceFeed.h"

namespace kalvo5::meter {
namespace {

constexpr std::int64_t kReadChunk = 8192;
constexpr double kAutomationPeriodSeconds = 50 * 0.001;

std::string Check(const std::vector<PluginInstance*>& instances, const AudioSource& source,
                  const RenderOptions& options) {
  for (const PluginInstance* plugin : instances) {
    if (source.Channels() > plugin->InputCount()) {
      return "the plug-in has " + std::to_string(plugin->InputCount()) + " inputs, too few for " +
             std::to_string(source.Channels()) + " channels";
    }
    if (options.doublePrecision && !plugin->CanDoubleReplacing()) {
      return "the plug-in cannot process 64-bit audio";
    }
    if (!options.doublePrecision && !plugin->CanReplacing()) {
      return "the plug-in cannot process 32-bit audio in place (processReplacing)";
    }
  }
  return instances.empty() ? "no plug-in instance to render with" : "";
}

class Renderer {
 public:
  Renderer(const std::vector<PluginInstance*>& instances, AudioSource& source, const RenderOptions& options)
      : instances_(instances),
        source_(source),
        options_(options),
        block_(std::max(options.blockSize, 1)),
        chunk_(std::max<std::int64_t>(kReadChunk, block_)),
        period_(AutomationPeriodFrames(source.SampleRate())),
        staged_(static_cast<std::size_t>(source.Channels()),
                std::vector<double>(static_cast<std::size_t>(chunk_))),
        stagedPointers_(staged_.size()),
        sinkChannels_(std::min(instances.front()->OutputCount(), source.Channels())) {
    for (std::size_t c = 0; c < staged_.size(); ++c) stagedPointers_[c] = staged_[c].data();
    // Only the first instance's output goes anywhere.
    for (PluginInstance* plugin : instances_) {
      const bool outputsRead = feeds_.empty() && static_cast<bool>(options.output);
      feeds_.push_back(std::make_unique<InstanceFeed>(*plugin, block_, options.doublePrecision, outputsRead));
    }
  }

  RenderResult Run() {
    RenderResult result;
    DamageCheck damage;
    std::int64_t done = 0, nextBoundary = period_;
    for (PluginInstance* plugin : instances_) {
      plugin->Host().BeginRender();
      plugin->Resume();
    }
    for (;;) {
      const std::int64_t got = source_.Read(stagedPointers_.data(), chunk_);
      if (got < 0) {
        damage.ReadFailed(source_.ReadError(), done);
        break;
      }
      if (got == 0) break;
      damage.Samples(staged_, got);
      result.samplePeak = std::max(result.samplePeak, Peak(got));
      for (std::int64_t offset = 0; offset < got;) {
        const std::int64_t frames = std::min({block_, got - offset, nextBoundary - done});
        // An output that cannot be written is given up; the measurement
        // goes on.
        if (!ProcessBlock(done, offset, frames)) result.outputFailed = true;
        offset += frames;
        done += frames;
        if (done == nextBoundary) {
          nextBoundary += period_;
          if (options_.timeline) {
            result.timeline.push_back(
                TakeTimelineRow(instances_, static_cast<double>(done) / source_.SampleRate()));
          }
        }
      }
      if (options_.progress) options_.progress(done);
    }
    // The plug-ins send their final readings now.
    for (PluginInstance* plugin : instances_) {
      plugin->Suspend();
      plugin->Host().EndRender();
    }
    result.frames = done;
    result.damage = damage.Findings(source_, done);
    result.ok = result.error.empty();
    return result;
  }

 private:
  // The largest magnitude among the first `frames` staged samples.
  double Peak(std::int64_t frames) const {
    double peak = 0.0;
    for (const auto& channel : staged_) {
      for (std::int64_t n = 0; n < frames; ++n) {
        const double magnitude = std::fabs(channel[static_cast<std::size_t>(n)]);
        if (magnitude > peak && std::isfinite(magnitude)) peak = magnitude;
      }
    }
    return peak;
  }

  bool ProcessBlock(std::int64_t position, std::int64_t offset, std::int64_t frames) {
    for (auto& feed : feeds_) {
      feed->Plugin().Host().PrepareBlock(static_cast<double>(position));
      feed->Process(staged_, offset, frames);
    }
    if (!options_.output || outputGivenUp_) return true;
    outputGivenUp_ = !options_.output(feeds_.front()->Outputs(sinkChannels_), sinkChannels_, frames);
    return !outputGivenUp_;
  }

  const std::vector<PluginInstance*>& instances_;
  AudioSource& source_;
  const RenderOptions& options_;
  const std::int64_t block_, chunk_, period_;
  std::vector<std::vector<double>> staged_;
  std::vector<double*> stagedPointers_;
  const int sinkChannels_;
  std::vector<std::unique_ptr<InstanceFeed>> feeds_;
  bool outputGivenUp_ = false;
};

}  // namespace

std::int64_t AutomationPeriodFrames(double sampleRate) {
  const double frames = std::trunc(sampleRate * kAutomationPeriodSeconds);
  if (!(frames >= 1.0)) return 1;
  return static_cast<std::int64_t>(std::min(frames, 1e15));
}

RenderResult Render(const std::vector<PluginInstance*>& instances, AudioSource& source,
                    const RenderOptions& options) {
  if (const std::string problem = Check(instances, source, options); !problem.empty()) {
    RenderResult result;
    result.error = problem;
    return result;
  }
  Renderer renderer(instances, source, options);
  return renderer.Run();
}

}  // namespace kalvo5::meter
