// The host's dispatcher calls: every opcode the plug-in answers, its canDo
// answers and the vendor extensions.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "HostText.h"
#include "IPlugVST2.h"
#include "NumberText.h"
#include "VST2Keys.h"

namespace iplug {

namespace {

// The host's product string, read into a buffer of ours.
constexpr std::size_t kProductStringCapacity = 256;

constexpr vst2::VstInt32 kVendorParamIsTwoState = 8;

char* TextBuffer(void* ptr) { return static_cast<char*>(ptr); }

// A host integer that should be an int, or nothing when it does not fit.
bool ToInt(vst2::VstIntPtr value, int& out) {
  if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) return false;
  out = static_cast<int>(value);
  return true;
}

// The opcodes hosts may send from their audio thread, and those that only
// read what never changes after construction: answered without the
// instance's lock, so a long state load or editor call on the GUI thread
// never holds them up. What they touch is atomic or owned by the audio
// thread (events, the final readings at a stop, the measured readings).
// The editor snapshot is editor work and waits like every other call.
bool AnswersWithoutLock(vst2::VstInt32 opcode, vst2::VstInt32 index) {
  switch (opcode) {
    case vst2::effProcessEvents:
    case vst2::effStartProcess:
    case vst2::effStopProcess:
    case vst2::effSetBypass:
    case vst2::effGetTailSize:
    case vst2::effCanDo:
    case vst2::effGetVstVersion:
    case vst2::effIdentify:
    case vst2::effGetPlugCategory:
    case vst2::effGetEffectName:
    case vst2::effGetVendorString:
    case vst2::effGetProductString:
    case vst2::effGetVendorVersion:
      return true;
    case vst2::effVendorSpecific:
      return index != vst2::kVantorelEditorSnapshot;
    default:
      return false;
  }
}

}  // namespace

vst2::VstIntPtr IPlugVST2::VSTDispatcher(vst2::AEffect* effect, vst2::VstInt32 opcode, vst2::VstInt32 index,
                                         vst2::VstIntPtr value, void* ptr, float opt) {
  auto* plug = effect ? static_cast<IPlugVST2*>(effect->object) : nullptr;
  if (!plug) return 0;
  // Nothing may unwind into the host's C code: a failure (such as memory
  // running out for a huge chunk) is a refusal.
  try {
    if (AnswersWithoutLock(opcode, index)) return plug->DispatchUnlocked(opcode, index, value, ptr, opt);
    // Parses the state first, then takes the lock (IPlugVST2State.cpp).
    if (opcode == vst2::effSetChunk) return plug->SetChunk(index == 0, value, ptr);
    // The instance's own lock: calls into other instances never wait here.
    // It outlives the instance, which effClose destroys while holding it.
    const std::shared_ptr<MainThreadLock> lock = plug->MainLockHandle();
    MainThreadScope scope(*lock);
    if (opcode == vst2::effClose) {
      delete plug;
      return 0;
    }
    return plug->Dispatch(opcode, index, value, ptr, opt);
  } catch (...) {
    return 0;
  }
}

vst2::VstIntPtr IPlugVST2::Dispatch(vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value,
                                    void* ptr, float opt) {
  switch (opcode) {
    case vst2::effOpen:
      OpenFromHost();
      return 0;

    case vst2::effSetProgram:
    case vst2::effGetProgram:
    case vst2::effSetProgramName:
    case vst2::effGetProgramName:
    case vst2::effGetProgramNameIndexed:
      return DispatchProgram(opcode, index, value, ptr);

    case vst2::effGetParamLabel:
    case vst2::effGetParamDisplay:
    case vst2::effGetParamName:
    case vst2::effCanBeAutomated:
    case vst2::effString2Parameter:
    case vst2::effGetParameterProperties:
      return DispatchParam(opcode, index, ptr);

    case vst2::effSetSampleRate:
      SetSampleRate(static_cast<double>(opt));
      ResetProcessing();
      return 0;
    case vst2::effSetBlockSize: {
      int frames = 0;
      if (ToInt(value, frames)) ResizeBuffers(std::min(frames, kMaxBlockFrames));
      ResetProcessing();
      return 0;
    }
    case vst2::effMainsChanged:
      if (value != 0) {
        SetActive(true);
      } else {
        OnProcessingStopped();
        SetActive(false);
        ResetProcessing();
      }
      return 0;

    case vst2::effIdle:
      OnHostIdle();
      return 1;

    case vst2::effEditGetRect:
    case vst2::effEditOpen:
    case vst2::effEditClose:
    case vst2::effEditIdle:
    case vst2::effEditKeyDown:
    case vst2::effEditKeyUp:
      return DispatchEditor(opcode, index, value, ptr, opt);

    case vst2::effGetChunk:
      return GetChunk(index == 0, ptr);

    case vst2::effGetInputProperties:
    case vst2::effGetOutputProperties:
    case vst2::effSetSpeakerArrangement:
    case vst2::effGetSpeakerArrangement:
      return DispatchChannels(opcode, index, value, ptr);

    case vst2::effVendorSpecific:
      return VendorSpecific(index, value, ptr, opt);
    case vst2::effGetMidiKeyName:
      if (ptr) static_cast<vst2::MidiKeyName*>(ptr)->keyName[0] = '\0';
      return 0;
    default:
      return 0;
  }
}

vst2::VstIntPtr IPlugVST2::DispatchUnlocked(vst2::VstInt32 opcode, vst2::VstInt32 index,
                                            vst2::VstIntPtr value, void* ptr, float opt) {
  switch (opcode) {
    case vst2::effProcessEvents:
      return ProcessEvents(static_cast<const vst2::VstEvents*>(ptr));
    case vst2::effStopProcess:
      OnProcessingStopped();
      return 0;
    case vst2::effIdentify:
      return vst2::kEffectIdentifyAnswer;
    case vst2::effGetPlugCategory:
      return GetPluginType() == 1 ? vst2::kPlugCategSynth : vst2::kPlugCategAnalysis;
    case vst2::effGetEffectName:
      if (!ptr) return 0;
      CopyHostText(TextBuffer(ptr), kHostEffectNameSize, GetPluginName());
      return 1;
    case vst2::effGetVendorString:
      if (!ptr) return 0;
      CopyHostText(TextBuffer(ptr), kHostVendorStringSize, GetVendorName());
      return 1;
    case vst2::effGetProductString:
      if (!ptr) return 0;
      CopyHostText(TextBuffer(ptr), kHostProductStringSize, GetProductName());
      return 1;
    case vst2::effGetVendorVersion:
      return mEffect.version;
    case vst2::effVendorSpecific:
      return VendorSpecific(index, value, ptr, opt);
    case vst2::effCanDo:
      return ptr ? CanDo(TextBuffer(ptr)) : 0;
    case vst2::effGetTailSize:
      return 1;  // no tail
    case vst2::effGetVstVersion:
      return vst2::kVstVersion;
    default:
      return 0;  // effStartProcess, effSetBypass
  }
}

void IPlugVST2::OpenFromHost() {
  if (GetHost() == kHostUninit) {
    char product[kProductStringCapacity] = {};
    HostCall(vst2::audioMasterGetProductString, 0, 0, product);
    product[kProductStringCapacity - 1] = '\0';
    int version = 0;
    if (product[0] != '\0') {
      const vst2::VstIntPtr v = HostCall(vst2::audioMasterGetVendorVersion);
      const long long decimal = v > 0 && v < std::numeric_limits<int>::max() ? v : 0;
      version = static_cast<int>((decimal / 10000) * 65536 + ((decimal % 10000) / 100) * 256 + decimal % 100);
    }
    SetHost(product, version);
    mHostSendsIntegerValues = HostSendsIntegerRangeValues(product);

    switch (GetHost()) {
      case kHostForte:
      case kHostAudition:
      case kHostOrion:
      case kHostSAWStudio:
        ConnectChannels(kInput, 2, MaxNChannels(kInput) - 2, false);
        ConnectChannels(kOutput, 2, MaxNChannels(kOutput) - 2, true);
        break;
      default:
        break;
    }
    mEffect.numInputs = MaxNChannels(kInput);
    mEffect.numOutputs = MaxNChannels(kOutput);
    mInputArrangement.numChannels = MaxNChannels(kInput);
    mOutputArrangement.numChannels = MaxNChannels(kOutput);
    OnHostIdentified();
  }
  NotifyAllParams(ParamSource::Reset);
}

vst2::VstIntPtr IPlugVST2::DispatchProgram(vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value,
                                           void* ptr) {
  switch (opcode) {
    case vst2::effSetProgram: {
      int slot = 0;
      if (!ToInt(value, slot) || !GetPreset(slot)) return 0;
      if (!StateChunks()) ModifyCurrentPreset();
      LoadPreset(slot);
      return 0;
    }
    case vst2::effGetProgram:
      return GetCurrentPresetIdx();
    case vst2::effSetProgramName:
      if (!ptr) return 0;
      ModifyCurrentPreset(TextBuffer(ptr));
      OnPresetsChanged();
      return 0;
    case vst2::effGetProgramName: {
      if (!ptr) return 0;
      const PresetEntry* preset = GetPreset(GetCurrentPresetIdx());
      CopyHostText(TextBuffer(ptr), kHostProgramNameSize, preset ? preset->name : "");
      return 0;
    }
    case vst2::effGetProgramNameIndexed: {
      if (!ptr) return 0;
      const PresetEntry* preset = GetPreset(index);
      CopyHostText(TextBuffer(ptr), kHostProgramNameSize, preset ? preset->name : "");
      return TextBuffer(ptr)[0] != '\0' ? 1 : 0;
    }
    default:
      return 0;
  }
}

vst2::VstIntPtr IPlugVST2::DispatchParam(vst2::VstInt32 opcode, vst2::VstInt32 index, void* ptr) {
  IParam* param = GetParam(index);
  if (!param) return 0;
  switch (opcode) {
    case vst2::effGetParamLabel:
      if (ptr) CopyHostText(TextBuffer(ptr), kHostParamTextSize, param->LabelForHost());
      return 0;
    case vst2::effGetParamDisplay:
      if (ptr)
        CopyHostText(TextBuffer(ptr), kHostParamTextSize,
                     param->FormatDisplay(param->GetValue(), false, true).c_str());
      return 0;
    case vst2::effGetParamName:
      if (ptr) CopyHostText(TextBuffer(ptr), kHostParamTextSize, param->GetName());
      return 0;
    case vst2::effCanBeAutomated:
      return param->CanAutomate() ? 1 : 0;
    case vst2::effString2Parameter:
      // A null text asks whether the parameter takes text at all.
      if (ptr) SetParameterTextFromHost(index, TextBuffer(ptr));
      return 1;
    case vst2::effGetParameterProperties: {
      if (!ptr) return 0;
      auto* props = static_cast<vst2::VstParameterProperties*>(ptr);
      switch (param->Kind()) {
        case ParamKind::Bool:
          props->flags = vst2::kVstParameterIsSwitch;
          break;
        case ParamKind::Int:
        case ParamKind::Enum:
          if (mHostSendsIntegerValues) {
            // One normalized step per entry.
            const double span = param->GetMax() - param->GetMin();
            props->flags = vst2::kVstParameterUsesFloatStep;
            props->stepFloat = span > 0.0 ? static_cast<float>(1.0 / span) : 1.0f;
            props->smallStepFloat = props->stepFloat;
            props->largeStepFloat = props->stepFloat;
            break;
          }
          props->flags = vst2::kVstParameterUsesIntegerMinMax | vst2::kVstParameterUsesIntStep;
          props->minInteger = static_cast<vst2::VstInt32>(param->GetMin());
          props->maxInteger = static_cast<vst2::VstInt32>(param->GetMax());
          props->stepInteger = 1;
          props->largeStepInteger = 1;
          break;
        default:
          props->flags = vst2::kVstParameterUsesFloatStep;
          props->stepFloat = static_cast<float>(param->GetStep());
          props->smallStepFloat = props->stepFloat;
          props->largeStepFloat = props->stepFloat;
          break;
      }
      // Hosts list the parameter under this text (the unit stays with
      // effGetParamLabel).
      CopyHostText(props->label, param->GetName());
      return 1;
    }
    default:
      return 0;
  }
}

vst2::VstIntPtr IPlugVST2::DispatchEditor(vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value,
                                          void* ptr, float opt) {
  switch (opcode) {
    case vst2::effEditGetRect:
      if (!ptr || !HasEditor()) return 0;
      {
        int width = 0, height = 0;
        EditorPixelSize(width, height);
        mEditorRect = {0, 0, static_cast<vst2::VstInt16>(std::clamp(height, 0, 32767)),
                       static_cast<vst2::VstInt16>(std::clamp(width, 0, 32767))};
      }
      *static_cast<vst2::ERect**>(ptr) = &mEditorRect;
      return 1;
    case vst2::effEditOpen:
      if (!HasEditor()) return 0;
      return OpenEditorWindow(ptr) ? 1 : 0;
    case vst2::effEditClose:
      if (!HasEditor()) return 0;
      if (mEditorClosing) return 1;
      mEditorClosing = true;
      if (EditorExists()) {
        OnEditorClosed();
        CloseEditorWindow();
      }
      mEditorClosing = false;
      return 1;
    case vst2::effEditIdle:
      OnHostIdle();
      return 0;
    case vst2::effEditKeyDown:
    case vst2::effEditKeyUp:
      return KeyEvent(opcode == vst2::effEditKeyDown, index, value, opt);
    default:
      return 0;
  }
}

vst2::VstIntPtr IPlugVST2::KeyEvent(bool down, vst2::VstInt32 character, vst2::VstIntPtr virtualKey,
                                    float modifiers) {
  if (GetHost() == kHostReaper && virtualKey != vst2::VKEY_SPACE) return 0;
  const int bits =
      std::isfinite(modifiers) && modifiers >= 0.0f && modifiers < 256.0f ? static_cast<int>(modifiers) : 0;
  const KeyPress key = MakeKeyPress(character, virtualKey, bits);
  return (down ? OnKeyDown(key) : OnKeyUp(key)) ? 1 : 0;
}

vst2::VstIntPtr IPlugVST2::DispatchChannels(vst2::VstInt32 opcode, vst2::VstInt32 index,
                                            vst2::VstIntPtr value, void* ptr) {
  switch (opcode) {
    case vst2::effGetInputProperties:
    case vst2::effGetOutputProperties: {
      const ERoute direction = opcode == vst2::effGetInputProperties ? kInput : kOutput;
      const ChannelData* channel = GetChannel(direction, index);
      if (!ptr || !channel) return 0;
      auto* props = static_cast<vst2::VstPinProperties*>(ptr);
      props->flags = vst2::kVstPinIsActive;
      if (index % 2 == 0 && index + 1 < MaxNChannels(direction)) props->flags |= vst2::kVstPinIsStereo;
      if (!channel->label.empty()) {
        CopyHostText(props->label, channel->label.c_str());
      } else {
        std::snprintf(props->label, sizeof(props->label), direction == kInput ? "Input %d" : "Output %d",
                      index + 1);
      }
      return 1;
    }
    case vst2::effSetSpeakerArrangement: {
      if (mIOChangeInProgress) return 0;
      const vst2::VstSpeakerArrangement* arrangements[2] = {
          reinterpret_cast<const vst2::VstSpeakerArrangement*>(value),
          static_cast<const vst2::VstSpeakerArrangement*>(ptr)};
      for (ERoute direction : {kInput, kOutput}) {
        const vst2::VstSpeakerArrangement* arrangement = arrangements[direction];
        if (!arrangement) continue;
        const int channels = arrangement->numChannels;
        const int limit = direction == kInput ? mEffect.numInputs : mEffect.numOutputs;
        if (channels < 0 || channels > limit) return 0;
        ConnectChannels(direction, 0, channels, true);
        ConnectChannels(direction, channels, MaxNChannels(direction) - channels, false);
      }
      return 1;
    }
    case vst2::effGetSpeakerArrangement:
      if (auto** input = reinterpret_cast<vst2::VstSpeakerArrangement**>(value)) *input = &mInputArrangement;
      if (auto** output = static_cast<vst2::VstSpeakerArrangement**>(ptr)) *output = &mOutputArrangement;
      return 1;
    default:
      return 0;
  }
}

vst2::VstIntPtr IPlugVST2::CanDo(const char* query) const {
  const auto is = [query](const char* text) { return std::strcmp(query, text) == 0; };
  if (is("receiveVstTimeInfo")) return 1;
  if (DoesMidiIn() && (is("receiveVstEvents") || is("receiveVstMidiEvent"))) return 1;
  if (DoesMidiOut() && (is("sendVstEvents") || is("sendVstMidiEvent"))) return 1;
  if (is("hasCockosExtensions") || is("hasCockosViewAsConfig")) return vst2::kCockosExtensionAnswer;
  if (is("wantsChannelCountNotifications")) return 1;
  if (is("MPE")) return DoesMPE() ? 1 : 0;
  if (is("supportsGainReductionInfo")) return 1;
  return 0;
}

vst2::VstIntPtr IPlugVST2::VendorSpecific(vst2::VstInt32 index, vst2::VstIntPtr value, void* ptr, float opt) {
  int paramIndex = -1;
  const IParam* param = ToInt(value, paramIndex) ? GetParam(paramIndex) : nullptr;
  switch (index) {
    case vst2::effGetParamDisplay:
      if (!ptr || !param) return 0;
      CopyHostText(TextBuffer(ptr), kHostParamTextSize,
                   param->FormatDisplay(static_cast<double>(opt), true, true).c_str());
      return vst2::kCockosVendorAnswer;
    case kVendorParamIsTwoState: {
      if (!param) return 0;
      const bool integer = param->Kind() == ParamKind::Int || param->Kind() == ParamKind::Enum;
      const bool twoState =
          param->Kind() == ParamKind::Bool || (integer && std::fabs(param->GetMax() - param->GetMin()) < 1.5);
      return twoState ? vst2::kCockosVendorAnswer : 0;
    }
    case vst2::effString2Parameter: {
      if (!ptr || !param) return 0;
      char* text = TextBuffer(ptr);
      if (text[0] == '\0') return vst2::kCockosVendorAnswer;
      const double normalized = param->NormalizedFromValue(param->ParseDisplay(text));
      // "0." and 17 decimals: the host's buffer held the text it asked about.
      FormatFixed(text, 20, normalized, 17);
      return vst2::kCockosVendorAnswer;
    }
    case vst2::kVantorelEditorSnapshot:
      return ptr && WriteEditorSnapshot(static_cast<const char*>(ptr), static_cast<double>(opt)) ? 1 : 0;
    case vst2::kVantorelSampleRates: {
      double rates[2] = {};
      if (!ptr || !MeasuredSampleRates(rates[0], rates[1])) return 0;
      std::memcpy(ptr, rates, sizeof rates);
      return 1;
    }
    case vst2::kVantorelNoMeasurement: {
      const std::string reason = param ? NoMeasurementReason(paramIndex) : std::string();
      if (!ptr || reason.empty()) return 0;
      CopyHostText(TextBuffer(ptr), kHostReasonSize, reason.c_str());
      return 1;
    }
    case vst2::kPresonusVendor:
      if (value != vst2::kPresonusGainReduction || !ptr) return 0;
      *static_cast<float*>(ptr) = static_cast<float>(20.0 * std::log10(GetGainReduction()));
      return 1;
    default:
      return 0;
  }
}

vst2::VstIntPtr IPlugVST2::ProcessEvents(const vst2::VstEvents* events) {
  if (!events) return 0;
  for (vst2::VstInt32 i = 0; i < events->numEvents; ++i) {
    const vst2::VstEvent* event = events->events[i];
    if (!event) continue;
    if (event->type == vst2::kVstMidiType) {
      const auto* midi = reinterpret_cast<const vst2::VstMidiEvent*>(event);
      IMidiMsg message;
      message.offset = midi->deltaFrames;
      message.status = static_cast<std::uint8_t>(midi->midiData[0]);
      message.data1 = static_cast<std::uint8_t>(midi->midiData[1]);
      message.data2 = static_cast<std::uint8_t>(midi->midiData[2]);
      ProcessMidiMsg(message);
    } else if (event->type == vst2::kVstSysExType) {
      const auto* sysEx = reinterpret_cast<const vst2::VstMidiSysexEvent*>(event);
      ISysEx message;
      message.offset = sysEx->deltaFrames;
      message.size = std::clamp(sysEx->dumpBytes, 0, kMaxSysExBytes);
      if (sysEx->sysexDump && message.size > 0) {
        std::memcpy(message.data, sysEx->sysexDump, static_cast<std::size_t>(message.size));
      } else {
        message.size = 0;
      }
      ProcessSysEx(message);
    }
  }
  return 1;
}

}  // namespace iplug
