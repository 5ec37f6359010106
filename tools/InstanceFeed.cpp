#include "tools/InstanceFeed.h"

#include <algorithm>

namespace kalvo5::meter {

template <typename Sample>
InstanceFeed::Buffers<Sample>::Buffers(int inputCount, int outputCount, std::int64_t frames)
    : inputs(static_cast<std::size_t>(inputCount), std::vector<Sample>(static_cast<std::size_t>(frames))),
      outputs(static_cast<std::size_t>(outputCount), std::vector<Sample>(static_cast<std::size_t>(frames))),
      inputPointers(static_cast<std::size_t>(std::max(inputCount, 1))),
      outputPointers(static_cast<std::size_t>(std::max(outputCount, 1))) {}

template <typename Sample>
void InstanceFeed::Buffers<Sample>::Load(const std::vector<std::vector<double>>& source, std::int64_t offset,
                                         std::int64_t frames, bool clearOutputs) {
  const auto n = static_cast<std::size_t>(frames);
  for (std::size_t c = 0; c < inputs.size(); ++c) {
    auto& to = inputs[c];
    if (c < source.size()) {
      const auto from = source[c].begin() + static_cast<std::ptrdiff_t>(offset);
      std::transform(from, from + static_cast<std::ptrdiff_t>(n), to.begin(),
                     [](double x) { return static_cast<Sample>(x); });
    } else {
      // Silence again each block: a plug-in may have written into it.
      std::fill_n(to.begin(), n, Sample{});
    }
    inputPointers[c] = to.data();
  }
  for (std::size_t c = 0; c < outputs.size(); ++c) {
    if (clearOutputs) std::fill_n(outputs[c].begin(), n, Sample{});
    outputPointers[c] = outputs[c].data();
  }
}

InstanceFeed::InstanceFeed(PluginInstance& plugin, std::int64_t maxFrames, bool doublePrecision,
                           bool outputsRead)
    : plugin_(plugin),
      double_(doublePrecision),
      outputsRead_(outputsRead),
      doubles_(plugin.InputCount(), plugin.OutputCount(), doublePrecision ? maxFrames : 0),
      floats_(plugin.InputCount(), plugin.OutputCount(), doublePrecision ? 0 : maxFrames),
      converted_(doublePrecision ? 0 : static_cast<std::size_t>(plugin.OutputCount()),
                 std::vector<double>(static_cast<std::size_t>(maxFrames))),
      outputView_(static_cast<std::size_t>(std::max(plugin.OutputCount(), 1))) {}

void InstanceFeed::Process(const std::vector<std::vector<double>>& source, std::int64_t offset,
                           std::int64_t frames) {
  const int n = static_cast<int>(frames);
  if (double_) {
    doubles_.Load(source, offset, frames, outputsRead_);
    plugin_.Process(doubles_.inputPointers.data(), doubles_.outputPointers.data(), n);
  } else {
    floats_.Load(source, offset, frames, outputsRead_);
    plugin_.Process(floats_.inputPointers.data(), floats_.outputPointers.data(), n);
  }
  lastFrames_ = frames;
}

const double* const* InstanceFeed::Outputs(int count) {
  count = std::min(count, static_cast<int>(outputView_.size()));
  for (int c = 0; c < count; ++c) {
    const auto i = static_cast<std::size_t>(c);
    if (double_) {
      outputView_[i] = doubles_.outputs[i].data();
    } else {
      auto& to = converted_[i];
      std::copy_n(floats_.outputs[i].begin(), lastFrames_, to.begin());
      outputView_[i] = to.data();
    }
  }
  return outputView_.data();
}

}  // namespace kalvo5::meter
