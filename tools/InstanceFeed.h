// One plug-in instance's side of a render: its input and output buffers in
// the precision it processes, filled from the file's samples block by block.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/PluginInstance.h"

namespace kalvo5::meter {

class InstanceFeed {
 public:
  // Buffers for blocks of up to `maxFrames` frames. Inputs beyond the file's
  // channels get silence. `outputsRead`: Outputs() is called after process
  // calls; without it the outputs are left as the plug-in wrote them.
  InstanceFeed(PluginInstance& plugin, std::int64_t maxFrames, bool doublePrecision, bool outputsRead);

  // Feeds `frames` frames from `offset` of the file's channels (`source`,
  // one buffer per channel) through one process call. Outputs that are read
  // start out cleared, so an output the plug-in leaves alone reads as
  // silence.
  void Process(const std::vector<std::vector<double>>& source, std::int64_t offset, std::int64_t frames);

  // The first `count` outputs of the last call, as doubles.
  const double* const* Outputs(int count);

  PluginInstance& Plugin() { return plugin_; }

 private:
  template <typename Sample>
  struct Buffers {
    std::vector<std::vector<Sample>> inputs, outputs;
    std::vector<Sample*> inputPointers, outputPointers;
    Buffers(int inputCount, int outputCount, std::int64_t frames);
    void Load(const std::vector<std::vector<double>>& source, std::int64_t offset, std::int64_t frames,
              bool clearOutputs);
  };

  PluginInstance& plugin_;
  const bool double_;
  const bool outputsRead_;
  Buffers<double> doubles_;
  Buffers<float> floats_;
  std::vector<std::vector<double>> converted_;  // float outputs as doubles
  std::vector<const double*> outputView_;
  std::int64_t lastFrames_ = 0;
};

}  // namespace kalvo5::meter
