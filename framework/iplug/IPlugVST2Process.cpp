// The process callbacks and the preparation of each block: buffer size,
// offline state, transport, and the messages the editor queued.
#include <algorithm>
#include <type_traits>

#include "IPlugVST2.h"
#include "VST2Transport.h"

namespace iplug {

namespace {

IPlugVST2* PlugFromEffect(vst2::AEffect* effect) {
  return effect ? static_cast<IPlugVST2*>(effect->object) : nullptr;
}

}  // namespace

void IPlugVST2::VSTProcess(vst2::AEffect* effect, float** inputs, float** outputs, vst2::VstInt32 nFrames) {
  if (IPlugVST2* plug = PlugFromEffect(effect)) plug->ProcessFromHost(inputs, outputs, nFrames, true);
}

void IPlugVST2::VSTProcessReplacing(vst2::AEffect* effect, float** inputs, float** outputs,
                                    vst2::VstInt32 nFrames) {
  if (IPlugVST2* plug = PlugFromEffect(effect)) plug->ProcessFromHost(inputs, outputs, nFrames, false);
}

void IPlugVST2::VSTProcessDoubleReplacing(vst2::AEffect* effect, double** inputs, double** outputs,
                                          vst2::VstInt32 nFrames) {
  if (IPlugVST2* plug = PlugFromEffect(effect)) plug->ProcessFromHost(inputs, outputs, nFrames, false);
}

template <typename Sample>
void IPlugVST2::ProcessFromHost(Sample** inputs, Sample** outputs, int nFrames, bool accumulate) {
  // Nothing may unwind into the host's audio thread.
  try {
    ProcessBlock(inputs, outputs, nFrames, accumulate);
  } catch (...) {
  }
}

void IPlugVST2::PrepareBlock() {
  const bool offline = HostCall(vst2::audioMasterGetCurrentProcessLevel) == vst2::kVstProcessLevelOffline;
  if (offline != GetRenderingOffline()) {
    SetRenderingOffline(offline);
    ResetProcessing();
  }

  SetTimeInfo(TimeInfoFromHost(
      reinterpret_cast<const vst2::VstTimeInfo*>(HostCall(vst2::audioMasterGetTime, 0, kTimeInfoRequest))));

  IMidiMsg message;
  for (std::size_t n = 0; n < Queues().midiFromEditor.capacity() && Queues().midiFromEditor.Pop(message); ++n)
    ProcessMidiMsg(message);
}

template <typename Sample>
void IPlugVST2::ProcessBlock(Sample** inputs, Sample** outputs, int nFrames, bool accumulate) {
  if (nFrames <= 0) return;
  // The buffers taken here serve the whole call, whatever block size the
  // host announces meanwhile.
  BeginProcessCall();
  PrepareBlock();
  const int prepared = ProcessCallFrames();
  if (nFrames <= prepared) {
    ProcessSlice(inputs, outputs, nFrames, accumulate);
  } else if (prepared > 0) {
    // Longer than the host announced: the buffers and the measurement stay
    // as prepared (growing them here would allocate on the audio thread and
    // restart the measurement); the block runs in consecutive slices of the
    // prepared size over the host's buffers.
    SlicePointers<Sample>& slice = Slice(static_cast<Sample*>(nullptr));
    for (int offset = 0; offset < nFrames; offset += prepared) {
      // The host passes one buffer per connected channel.
      const auto move = [offset](Sample** host, std::vector<Sample*>& moved, int count) {
        for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i)
          moved[i] = host && host[i] ? host[i] + offset : nullptr;
        return host ? moved.data() : nullptr;
      };
      ProcessSlice(move(inputs, slice.inputs, NChannelsConnected(kInput)),
                   move(outputs, slice.outputs, NChannelsConnected(kOutput)),
                   std::min(prepared, nFrames - offset), accumulate);
    }
  }
  SendQueuedSysEx();
  OnBlockEnd();
  EndProcessCall();
}

template <typename Sample>
void IPlugVST2::ProcessSlice(Sample** inputs, Sample** outputs, int nFrames, bool accumulate) {
  if constexpr (std::is_same_v<Sample, float>) {
    ProcessBuffers(inputs, outputs, nFrames, accumulate);
  } else {
    ProcessBuffers(inputs, outputs, nFrames);
  }
}

}  // namespace iplug
