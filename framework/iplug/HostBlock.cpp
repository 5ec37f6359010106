// A host block of any length on the buffers in place for the process call.
#include <algorithm>
#include <type_traits>

#include "IPlugProcessor.h"

namespace iplug {

void IPlugProcessor::ProcessHostBlock(float** inputs, float** outputs, int nFrames, bool accumulate) {
  ProcessInSlices(inputs, outputs, nFrames, accumulate);
}

void IPlugProcessor::ProcessHostBlock(double** inputs, double** outputs, int nFrames) {
  ProcessInSlices(inputs, outputs, nFrames, false);
}

template <typename Sample>
void IPlugProcessor::ProcessInSlices(Sample** inputs, Sample** outputs, int nFrames, bool accumulate) {
  const auto slice = [this, accumulate](Sample** in, Sample** out, int frames) {
    if constexpr (std::is_same_v<Sample, float>) {
      ProcessBuffers(in, out, frames, accumulate);
    } else {
      ProcessBuffers(in, out, frames);
    }
  };
  const int prepared = ProcessCallFrames();
  if (nFrames <= 0 || prepared <= 0) return;
  if (nFrames <= prepared) {
    slice(inputs, outputs, nFrames);
    return;
  }
  SlicePointers<Sample>& moved = Slice(static_cast<Sample*>(nullptr));
  for (int offset = 0; offset < nFrames; offset += prepared) {
    // The host passes one buffer per connected channel.
    const auto move = [offset](Sample** host, std::vector<Sample*>& into, int count) {
      for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i)
        into[i] = host && host[i] ? host[i] + offset : nullptr;
      return host ? into.data() : nullptr;
    };
    slice(move(inputs, moved.inputs, NChannelsConnected(kInput)),
          move(outputs, moved.outputs, NChannelsConnected(kOutput)), std::min(prepared, nFrames - offset));
  }
}

}  // namespace iplug
