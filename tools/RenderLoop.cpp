#include "tools/RenderLoop.h"

#include <algorithm>
#include <cmath>

namespace kalvo5::meter {
namespace {

using namespace std::chrono_literals;

constexpr std::int64_t kReadChunk = 8192;

// Per-channel buffers and the pointer tables handed to the plug-in, for one
// sample type.
template <typename Sample>
struct BlockBuffers {
  std::vector<std::vector<Sample>> inputs, outputs;
  std::vector<Sample*> inputPointers, outputPointers;

  BlockBuffers(int inputCount, int outputCount, std::int64_t chunk, std::int64_t block)
      : inputs(static_cast<std::size_t>(inputCount), std::vector<Sample>(static_cast<std::size_t>(chunk))),
        outputs(static_cast<std::size_t>(outputCount), std::vector<Sample>(static_cast<std::size_t>(block))),
        inputPointers(static_cast<std::size_t>(std::max(inputCount, 1))),
        outputPointers(static_cast<std::size_t>(std::max(outputCount, 1))) {}

  // Points the tables at frame `offset` of the staged input and clears the
  // outputs, so an output the plug-in leaves alone reads as silence.
  void Bind(std::int64_t offset, std::int64_t frames) {
    for (std::size_t c = 0; c < inputs.size(); ++c) inputPointers[c] = inputs[c].data() + offset;
    for (std::size_t c = 0; c < outputs.size(); ++c) {
      std::fill_n(outputs[c].begin(), frames, Sample{});
      outputPointers[c] = outputs[c].data();
    }
  }
};

class Renderer {
 public:
  Renderer(PluginInstance& plugin, AudioSource& source, const RenderOptions& options)
      : plugin_(plugin),
        source_(source),
        options_(options),
        fileChannels_(source.Channels()),
        block_(std::max(options.blockSize, 1)),
        chunk_(std::max<std::int64_t>(kReadChunk, block_)),
        period_(AutomationPeriodFrames(source.SampleRate(), options.automationPeriodSeconds)),
        staged_(static_cast<std::size_t>(fileChannels_),
                std::vector<double>(static_cast<std::size_t>(chunk_))),
        stagedPointers_(static_cast<std::size_t>(fileChannels_)),
        doubles_(plugin.InputCount(), plugin.OutputCount(), options.doublePrecision ? chunk_ : 0,
                 options.doublePrecision ? block_ : 0),
        floats_(plugin.InputCount(), plugin.OutputCount(), options.doublePrecision ? 0 : chunk_,
                options.doublePrecision ? 0 : block_),
        sinkChannels_(std::min(plugin.OutputCount(), fileChannels_)),
        sinkBuffers_(options.output && !options.doublePrecision ? static_cast<std::size_t>(sinkChannels_) : 0,
                     std::vector<double>(static_cast<std::size_t>(block_))),
        sinkPointers_(static_cast<std::size_t>(std::max(sinkChannels_, 1))) {
    for (std::size_t c = 0; c < staged_.size(); ++c) stagedPointers_[c] = staged_[c].data();
  }

  RenderResult Run() {
    RenderResult result;
    const std::int64_t total = source_.Frames();
    const std::int64_t lastBoundary = total >= period_ ? total / period_ * period_ : -1;
    AutomationRecorder& automation = plugin_.Host().Automation();
    bool pacing = options_.timeline;
    std::uint64_t mark = automation.WriteCount();
    std::int64_t done = 0, nextBoundary = period_;

    plugin_.Host().BeginRender();
    plugin_.Resume();
    for (;;) {
      const std::int64_t got = source_.Read(stagedPointers_.data(), chunk_);
      if (got < 0) {
        result.error = "read error in " + source_.Description();
        break;
      }
      if (got == 0) break;
      Stage(got);
      for (std::int64_t offset = 0; offset < got;) {
        // Blocks end exactly where the plug-in's automation is to be read:
        // at every period for a timeline, else at the last full period.
        std::int64_t frames = std::min(block_, got - offset);
        const std::int64_t stop = pacing ? nextBoundary : lastBoundary;
        if (stop > done && done + frames > stop) frames = stop - done;
        plugin_.Host().PrepareBlock(static_cast<double>(done));
        if (!Process(offset, frames)) {
          result.error = "cannot write the plug-in's output";
          break;
        }
        offset += frames;
        done += frames;
        if (pacing && done == nextBoundary) {
          nextBoundary += period_;
          if (automation.WaitForBatch(mark, options_.automationTimeout)) {
            mark = automation.WriteCount();
            result.timeline.push_back(Snapshot(static_cast<double>(done) / source_.SampleRate()));
          } else {
            pacing = false;
            result.warnings.push_back(
                "the plug-in wrote no automation within " +
                std::to_string(options_.automationTimeout.count()) + " ms; the timeline ends at " +
                std::to_string(static_cast<double>(done) / source_.SampleRate()) + " s");
          }
        } else if (!pacing && done == lastBoundary && !automation.WritesOnlyWhileProcessing()) {
          // The readings at the last full automation period. A plug-in that
          // writes from inside process calls has written them already; one
          // that writes from a thread of its own does so after this block:
          // let a batch in progress end, then wait for the one this period
          // asks for.
          automation.WaitForQuiet(3ms);
          const std::uint64_t before = automation.WriteCount();
          automation.WaitForBatch(before, before > 0 ? options_.automationTimeout : 250ms);
        }
      }
      if (!result.error.empty()) break;
      if (options_.progress && total > 0)
        options_.progress(static_cast<double>(done) / static_cast<double>(total));
    }
    plugin_.Suspend();
    plugin_.Host().EndRender();
    result.frames = done;
    result.ok = result.error.empty();
    return result;
  }

 private:
  // Copies the chunk just read into the plug-in's input buffers (converting
  // to 32-bit floats for the single-precision path).
  void Stage(std::int64_t frames) {
    for (int c = 0; c < fileChannels_; ++c) {
      const auto& from = staged_[static_cast<std::size_t>(c)];
      if (options_.doublePrecision) {
        std::copy_n(from.begin(), frames, doubles_.inputs[static_cast<std::size_t>(c)].begin());
      } else {
        auto& to = floats_.inputs[static_cast<std::size_t>(c)];
        for (std::int64_t n = 0; n < frames; ++n) {
          to[static_cast<std::size_t>(n)] = static_cast<float>(from[static_cast<std::size_t>(n)]);
        }
      }
    }
  }

  bool Process(std::int64_t offset, std::int64_t frames) {
    vst2::AEffect* effect = plugin_.Effect();
    const auto n = static_cast<vst2::VstInt32>(frames);
    if (options_.doublePrecision) {
      doubles_.Bind(offset, frames);
      plugin_.Host().EnterProcess();
      effect->processDoubleReplacing(effect, doubles_.inputPointers.data(), doubles_.outputPointers.data(),
                                     n);
      plugin_.Host().LeaveProcess();
      if (!options_.output) return true;
      for (int c = 0; c < sinkChannels_; ++c) {
        sinkPointers_[static_cast<std::size_t>(c)] = doubles_.outputs[static_cast<std::size_t>(c)].data();
      }
    } else {
      floats_.Bind(offset, frames);
      plugin_.Host().EnterProcess();
      effect->processReplacing(effect, floats_.inputPointers.data(), floats_.outputPointers.data(), n);
      plugin_.Host().LeaveProcess();
      if (!options_.output) return true;
      for (int c = 0; c < sinkChannels_; ++c) {
        const auto& from = floats_.outputs[static_cast<std::size_t>(c)];
        auto& to = sinkBuffers_[static_cast<std::size_t>(c)];
        std::copy_n(from.begin(), frames, to.begin());
        sinkPointers_[static_cast<std::size_t>(c)] = to.data();
      }
    }
    return options_.output(sinkPointers_.data(), sinkChannels_, frames);
  }

  TimelineRow Snapshot(double seconds) const {
    TimelineRow row;
    row.seconds = seconds;
    const AutomationRecorder& automation = plugin_.Host().Automation();
    for (int index : automation.WrittenIndices()) {
      row.values.emplace_back(index, plugin_.DisplayOfValue(index, automation.Latest(index)));
    }
    return row;
  }

  PluginInstance& plugin_;
  AudioSource& source_;
  const RenderOptions& options_;
  const int fileChannels_;
  const std::int64_t block_, chunk_, period_;
  std::vector<std::vector<double>> staged_;
  std::vector<double*> stagedPointers_;
  BlockBuffers<double> doubles_;
  BlockBuffers<float> floats_;
  const int sinkChannels_;
  std::vector<std::vector<double>> sinkBuffers_;
  std::vector<const double*> sinkPointers_;
};

}  // namespace

std::int64_t AutomationPeriodFrames(double sampleRate, double seconds) {
  const double frames = std::trunc(sampleRate * seconds);
  if (!(frames >= 1.0)) return 1;
  return static_cast<std::int64_t>(std::min(frames, 1e15));
}

RenderResult Render(PluginInstance& plugin, AudioSource& source, const RenderOptions& options) {
  if (source.Channels() > plugin.InputCount()) {
    RenderResult result;
    result.error = "the plug-in has " + std::to_string(plugin.InputCount()) + " inputs, too few for " +
                   std::to_string(source.Channels()) + " channels";
    return result;
  }
  if (options.doublePrecision ? !plugin.CanDoubleReplacing()
                              : plugin.Effect()->processReplacing == nullptr ||
                                    (plugin.Effect()->flags & vst2::effFlagsCanReplacing) == 0) {
    RenderResult result;
    result.error = options.doublePrecision
                       ? "the plug-in cannot process 64-bit audio"
                       : "the plug-in cannot process 32-bit audio in place (processReplacing)";
    return result;
  }
  Renderer renderer(plugin, source, options);
  return renderer.Run();
}

}  // namespace kalvo5::meter
