#include "IPlugLV2.h"

#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace iplug {

namespace {

// The block length the host's options name, maximum first; 0 for none.
int BlockLengthOption(const LV2_Feature* const* features, const LV2Urids& urids) {
  const auto* options =
      static_cast<const LV2_Options_Option*>(LV2FeatureData(features, LV2_OPTIONS__options));
  int nominal = 0;
  for (const LV2_Options_Option* o = options; o && o->key != 0; ++o) {
    if (o->type != urids.atomInt || o->size != sizeof(std::int32_t) || !o->value) continue;
    const int value = *static_cast<const std::int32_t*>(o->value);
    if (o->key == urids.maxBlockLength && value > 0) return value;
    if (o->key == urids.nominalBlockLength && value > 0) nominal = value;
  }
  return nominal;
}

}  // namespace

// The shared base is the most derived class's to construct: the initializer
// here is never used.
IPlugLV2::IPlugLV2(const LV2InstanceInfo& info)
    : IPlug(PluginConfig{}),
      mLayout(std::max(0, std::min(info.channels, MaxNChannels(kInput))), NParams()),
      mMap(static_cast<LV2_URID_Map*>(LV2FeatureData(info.features, LV2_URID__map))) {
  if (mMap) {
    mUrids.emplace(*mMap);
    lv2_atom_forge_init(&mForge, mMap);
  }
  const int channels = mLayout.Channels();
  mAudioIn.assign(static_cast<std::size_t>(channels), nullptr);
  mAudioOut.assign(static_cast<std::size_t>(channels), nullptr);
  mControls.assign(static_cast<std::size_t>(NParams()), nullptr);
  mApplied.assign(static_cast<std::size_t>(NParams()), 0.0f);
  mTellEditor = std::make_unique<std::atomic<bool>[]>(static_cast<std::size_t>(NParams()));
  mSnapshot.resize(kMaxEditorSnapshotBytes);

  // The variant's channels, and no others.
  for (ERoute direction : {kInput, kOutput}) {
    ConnectChannels(direction, 0, channels, true);
    ConnectChannels(direction, channels, MaxNChannels(direction) - channels, false);
  }
  SetSampleRate(info.sampleRate);
  const int block = mUrids ? BlockLengthOption(info.features, *mUrids) : 0;
  ResizeBuffers(block > 0 ? block : kLV2DefaultBlockFrames);
}

void IPlugLV2::CompleteConstruction() {
  SetChannelLayout(mLayout.Channels());
  // The description gives the variant's channel layout as the default of
  // the ports that follow it.
  for (int i = 0; i < NParams(); ++i) {
    const IParam* param = GetParam(i);
    mApplied[static_cast<std::size_t>(i)] =
        static_cast<float>(FollowsChannelLayout(i) ? param->GetValue() : param->GetDefault());
    (IsOutputParam(i) ? mOutputParams : mInputParams).push_back(i);
  }
  HostHeardCurrentValues();
}

IPlugLV2::~IPlugLV2() = default;

void IPlugLV2::ConnectPort(std::uint32_t port, void* data) {
  const LV2PortLayout::Port found = mLayout.Find(port);
  const auto at = static_cast<std::size_t>(found.index);
  switch (found.kind) {
    case LV2PortLayout::Kind::AudioIn:
      mAudioIn[at] = static_cast<float*>(data);
      break;
    case LV2PortLayout::Kind::AudioOut:
      mAudioOut[at] = static_cast<float*>(data);
      break;
    case LV2PortLayout::Kind::MessagesIn:
      mMessagesIn = static_cast<const LV2_Atom_Sequence*>(data);
      break;
    case LV2PortLayout::Kind::MessagesOut:
      mMessagesOut = static_cast<LV2_Atom_Sequence*>(data);
      break;
    case LV2PortLayout::Kind::Param:
      mControls[at] = static_cast<float*>(data);
      break;
    case LV2PortLayout::Kind::Latency:
      mLatencyPort = static_cast<float*>(data);
      break;
    case LV2PortLayout::Kind::None:
      break;
  }
}

void IPlugLV2::Activate() {
  MainThreadScope scope(MainLock());
  // The ports as the host set them before audio starts: what they change is
  // in place from the first block, with the memory it needs obtained here.
  ReadControlPorts();
  ResetProcessing();
  SetActive(true);
}

void IPlugLV2::Deactivate() {
  MainThreadScope scope(MainLock());
  OnProcessingStopped();
  SetActive(false);
}

void IPlugLV2::Run(std::uint32_t frames) {
  if (!Ready()) return;
  // Nothing may unwind into the host's audio thread.
  try {
    BeginProcessCall();
    ReadMessages();
    ReadControlPorts();
    if (frames > 0) {
      const int n = static_cast<int>(std::min<std::uint32_t>(frames, std::numeric_limits<int>::max()));
      ProcessHostBlock(mAudioIn.data(), mAudioOut.data(), n, false);
    }
    TakeLatestOutputs();
    WriteOutputPorts();
    WriteMessages();
    OnBlockEnd();
    EndProcessCall();
  } catch (...) {
  }
}

void IPlugLV2::ReadMessages() {
  if (!mMessagesIn) return;
  LV2_ATOM_SEQUENCE_FOREACH(mMessagesIn, event) {
    const LV2_Atom& atom = event->body;
    if (atom.type == mUrids->resend) {
      TellEditorAll();
    } else if (atom.type == mUrids->param && atom.size >= sizeof(LV2ParamBody)) {
      LV2ParamBody body;
      std::memcpy(&body, LV2_ATOM_BODY_CONST(&atom), sizeof(body));
      const IParam* param = GetParam(body.index);
      if (param && !IsOutputParam(body.index) && std::isfinite(body.value))
        SetParameterFromHost(body.index, param->NormalizedFromValue(body.value));
    }
  }
}

void IPlugLV2::ReadControlPorts() {
  for (const int i : mInputParams) {
    const auto at = static_cast<std::size_t>(i);
    const float* port = mControls[at];
    if (!port) continue;
    const float value = *port;
    if (value == mApplied[at] || std::isnan(value)) continue;
    mApplied[at] = value;
    // A port the editor's message already set to this value changes nothing.
    const IParam* param = GetParam(i);
    if (static_cast<float>(param->GetValue()) != value)
      SetParameterFromHost(i, param->NormalizedFromValue(static_cast<double>(value)));
  }
}

void IPlugLV2::WriteOutputPorts() {
  for (const int i : mOutputParams) {
    float* port = mControls[static_cast<std::size_t>(i)];
    if (port) *port = static_cast<float>(GetParam(i)->GetValue());
  }
  if (mLatencyPort) *mLatencyPort = static_cast<float>(GetLatency());
}

void IPlugLV2::WriteMessages() {
  LV2MessageWriter writer(mMessagesOut, *mUrids, mForge);
  const std::size_t size = TakeEditorSnapshot(mSnapshot);
  if (size > 0) writer.PutSnapshot(std::span<const std::byte>(mSnapshot.data(), size));
  if (!mTellEditorAny.exchange(false)) return;
  for (const int i : mInputParams) {
    std::atomic<bool>& due = mTellEditor[static_cast<std::size_t>(i)];
    if (!due.exchange(false)) continue;
    if (!writer.PutParam(i, GetParam(i)->GetValue())) {
      due.store(true);  // no room left: at the next run
      mTellEditorAny.store(true);
      break;
    }
  }
}

void IPlugLV2::TellEditorAll() {
  for (const int i : mInputParams) mTellEditor[static_cast<std::size_t>(i)].store(true);
  mTellEditorAny.store(true);
}

void IPlugLV2::SendParamToHost(int index, double normalized) {
  if (!GetParam(index)) return;
  NoteHostHeard(index, normalized);
  if (IsOutputParam(index)) return;
  mTellEditor[static_cast<std::size_t>(index)].store(true);
  mTellEditorAny.store(true);
}

LV2_State_Status IPlugLV2::SaveState(LV2_State_Store_Function store, LV2_State_Handle handle) {
  if (!Ready() || !store) return LV2_STATE_ERR_UNKNOWN;
  std::string document;
  {
    MainThreadScope scope(MainLock());
    if (!WriteStateDocument(document)) return LV2_STATE_ERR_UNKNOWN;
  }
  // The document with its terminator, as an atom:String.
  return store(handle, mUrids->state, document.c_str(), document.size() + 1, mUrids->atomString,
               LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status IPlugLV2::RestoreState(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) {
  if (!Ready() || !retrieve) return LV2_STATE_ERR_UNKNOWN;
  std::size_t size = 0;
  std::uint32_t type = 0;
  std::uint32_t flags = 0;
  const void* data = retrieve(handle, mUrids->state, &size, &type, &flags);
  if (!data) return LV2_STATE_ERR_NO_PROPERTY;
  if (type != mUrids->atomString) return LV2_STATE_ERR_BAD_TYPE;
  // The string's terminator is not part of the document.
  std::string_view document(static_cast<const char*>(data), size);
  if (!document.empty() && document.back() == '\0') document.remove_suffix(1);
  MainThreadScope scope(MainLock());
  if (!ReadStateDocument(document)) return LV2_STATE_ERR_UNKNOWN;
  // A state saved by another variant or format keeps this one's channels.
  SetChannelLayout(mLayout.Channels());
  ModifyCurrentPreset();
  OnStateRestored();
  TellEditorAll();
  return LV2_STATE_SUCCESS;
}

}  // namespace iplug
