#include "IPlugVST2.h"

#include <algorithm>
#include <cmath>

namespace iplug {

namespace {

constexpr int kInitialBlockSize = 512;

IPlugVST2* PlugFromEffect(vst2::AEffect* effect) {
  return effect ? static_cast<IPlugVST2*>(effect->object) : nullptr;
}

vst2::VstInt32 SpeakerArrangementType(int channels) {
  switch (channels) {
    case 0:
      return vst2::kSpeakerArrEmpty;
    case 1:
      return vst2::kSpeakerArrMono;
    case 2:
      return vst2::kSpeakerArrStereo;
    default:
      return vst2::kSpeakerArrUserDefined;
  }
}

}  // namespace

// The shared base is the most derived class's to construct: the initializer
// here is never used.
IPlugVST2::IPlugVST2(const InstanceInfo& info) : IPlug(PluginConfig{}), mInstanceInfo(info) {
  mEffect.magic = vst2::kEffectMagic;
  mEffect.dispatcher = &VSTDispatcher;
  mEffect.process = &VSTProcess;
  mEffect.setParameter = &VSTSetParameter;
  mEffect.getParameter = &VSTGetParameter;
  mEffect.processReplacing = &VSTProcessReplacing;
  mEffect.processDoubleReplacing = &VSTProcessDoubleReplacing;
  mEffect.numPrograms = NPresets();
  mEffect.numParams = NParams();
  mEffect.numInputs = MaxNChannels(kInput);
  mEffect.numOutputs = MaxNChannels(kOutput);
  mEffect.flags = vst2::effFlagsCanReplacing | vst2::effFlagsCanDoubleReplacing;
  if (StateChunks()) mEffect.flags |= vst2::effFlagsProgramChunks;
  if (LegalIO(1, -1)) mEffect.flags |= vst2::effFlagsCanMono;
  if (GetPluginType() == 1) mEffect.flags |= vst2::effFlagsIsSynth;
  mEffect.initialDelay = GetLatency();
  mEffect.ioRatio = 1.0f;
  mEffect.object = this;
  mEffect.uniqueID = GetUniqueId();
  mEffect.version = GetVersionMajor() * 1000 + GetVersionMinor() * 100 + GetVersionRevision() * 10;

  SetSpeakerChannels(mInputArrangement, MaxNChannels(kInput));
  SetSpeakerChannels(mOutputArrangement, MaxNChannels(kOutput));
  mEventsOut.events[0] = nullptr;

  ConnectChannels(kInput, 0, MaxNChannels(kInput), true);
  ConnectChannels(kOutput, 0, MaxNChannels(kOutput), true);
  ResizeBuffers(kInitialBlockSize);
  if (HasEditor())
    mEditorRect = {0, 0, static_cast<vst2::VstInt16>(EditorHeight()),
                   static_cast<vst2::VstInt16>(EditorWidth())};
  StartTimer();
}

IPlugVST2::~IPlugVST2() {
  StopTimer();
  // A host that keeps calling through a stale record finds no object.
  mEffect.object = nullptr;
}

void IPlugVST2::CompleteConstruction() {
  InitUninitializedPresets();
  if (mEffect.numPrograms < 1) mEffect.numPrograms = 1;
  if (HasEditor() && EditorWindowAvailable()) mEffect.flags |= vst2::effFlagsHasEditor;
  // The host starts from the values the object was built with.
  HostHeardCurrentValues();
}

void IPlugVST2::SetSpeakerChannels(vst2::VstSpeakerArrangement& arrangement, int channels) {
  arrangement.numChannels = channels;
  arrangement.type = SpeakerArrangementType(channels);
}

vst2::VstIntPtr IPlugVST2::HostCall(vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value,
                                    void* ptr, float opt) {
  if (!mInstanceInfo.hostCallback) return 0;
  // The host may take locks of its own in there: ours are let go.
  MainThreadUnlock unlocked;
  return mInstanceInfo.hostCallback(&mEffect, opcode, index, value, ptr, opt);
}

// Host-facing operations.

void IPlugVST2::SendParamToHost(int index, double normalized) {
  if (!GetParam(index)) return;
  NoteHostHeard(index, normalized);
  HostCall(vst2::audioMasterAutomate, index, 0, nullptr, static_cast<float>(normalized));
}

void IPlugVST2::BeginParamGesture(int index) {
  if (GetParam(index)) HostCall(vst2::audioMasterBeginEdit, index);
}

void IPlugVST2::EndParamGesture(int index) {
  if (GetParam(index)) HostCall(vst2::audioMasterEndEdit, index);
}

bool IPlugVST2::RequestEditorSize(int width, int height) {
  if (!HasEditor() || (width == EditorWidth() && height == EditorHeight())) return false;
  SetEditorSize(width, height);
  mEditorRect = {0, 0, static_cast<vst2::VstInt16>(height), static_cast<vst2::VstInt16>(width)};
  return HostCall(vst2::audioMasterSizeWindow, width, height) != 0;
}

void IPlugVST2::NotifyHostDisplayChanged() { HostCall(vst2::audioMasterUpdateDisplay); }

void IPlugVST2::ChangeLatency(int samples) {
  IPlugProcessor::ChangeLatency(samples);
  mEffect.initialDelay = samples;
  // While the host reacts, it may ask for the speaker arrangement again;
  // that must not reconnect channels.
  mIOChangeInProgress = true;
  HostCall(vst2::audioMasterIOChanged);
  mIOChangeInProgress = false;
}

void IPlugVST2::ProcessMidiMsg(const IMidiMsg& message) {
  mMidiOut = {};
  mMidiOut.type = vst2::kVstMidiType;
  mMidiOut.byteSize = static_cast<vst2::VstInt32>(sizeof(vst2::VstMidiEvent));
  mMidiOut.deltaFrames = message.offset;
  mMidiOut.midiData[0] = static_cast<char>(message.status);
  mMidiOut.midiData[1] = static_cast<char>(message.data1);
  mMidiOut.midiData[2] = static_cast<char>(message.data2);
  mEventsOut.events[0] = reinterpret_cast<vst2::VstEvent*>(&mMidiOut);
  HostCall(vst2::audioMasterProcessEvents, 0, 0, &mEventsOut);
  Queues().midiToEditor.Push(message);
}

void IPlugVST2::SendQueuedSysEx() {
  ISysEx message;
  for (std::size_t n = 0; n < Queues().sysExFromEditor.capacity() && Queues().sysExFromEditor.Pop(message);
       ++n) {
    mSysExOut = {};
    mSysExOut.type = vst2::kVstSysExType;
    mSysExOut.byteSize = static_cast<vst2::VstInt32>(sizeof(vst2::VstMidiSysexEvent));
    mSysExOut.deltaFrames = message.offset;
    mSysExOut.dumpBytes = std::clamp(message.size, 0, kMaxSysExBytes);
    mSysExOut.sysexDump = reinterpret_cast<char*>(message.data);
    mEventsOut.events[0] = reinterpret_cast<vst2::VstEvent*>(&mSysExOut);
    HostCall(vst2::audioMasterProcessEvents, 0, 0, &mEventsOut);
  }
}

// Parameter callbacks: any thread, no lock.

void IPlugVST2::VSTSetParameter(vst2::AEffect* effect, vst2::VstInt32 index, float value) {
  // Nothing may unwind into the host.
  try {
    if (IPlugVST2* plug = PlugFromEffect(effect))
      plug->SetParameterFromHost(index, static_cast<double>(value));
  } catch (...) {
  }
}

float IPlugVST2::VSTGetParameter(vst2::AEffect* effect, vst2::VstInt32 index) {
  try {
    IPlugVST2* plug = PlugFromEffect(effect);
    const IParam* param = plug ? plug->GetParam(index) : nullptr;
    return param ? static_cast<float>(param->GetNormalizedValue()) : 0.0f;
  } catch (...) {
    return 0.0f;
  }
}

}  // namespace iplug
