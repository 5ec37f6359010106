// The process callbacks and the preparation of each block: buffer size,
// offline state, transport, and the messages the editor queued.
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
  if constexpr (std::is_same_v<Sample, float>) {
    ProcessHostBlock(inputs, outputs, nFrames, accumulate);
  } else {
    ProcessHostBlock(inputs, outputs, nFrames);
  }
  SendQueuedSysEx();
  OnBlockEnd();
  EndProcessCall();
}

}  // namespace iplug
