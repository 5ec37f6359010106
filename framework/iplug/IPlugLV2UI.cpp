#include "IPlugLV2UI.h"

#include <cmath>
#include <cstring>

namespace iplug {

// The shared base is the most derived class's to construct: the initializer
// here is never used.
IPlugLV2UI::IPlugLV2UI(const LV2UIInfo& info)
    : IPlug(PluginConfig{}),
      mLayout(std::max(0, std::min(info.channels, MaxNChannels(kInput))), NParams()),
      mInfo(info) {
  if (auto* map = static_cast<LV2_URID_Map*>(LV2FeatureData(info.features, LV2_URID__map)))
    mUrids.emplace(*map);
  mParent = LV2FeatureData(info.features, LV2_UI__parent);
  mResize = static_cast<const LV2UI_Resize*>(LV2FeatureData(info.features, LV2_UI__resize));
  mTouch = static_cast<const LV2UI_Touch*>(LV2FeatureData(info.features, LV2_UI__touch));
  const int channels = mLayout.Channels();
  for (ERoute direction : {kInput, kOutput}) {
    ConnectChannels(direction, 0, channels, true);
    ConnectChannels(direction, channels, MaxNChannels(direction) - channels, false);
  }
  // The editor draws and reads its window on the framework's ticks, which
  // the host's idle calls run.
  StartTimer();
}

IPlugLV2UI::~IPlugLV2UI() { StopTimer(); }

bool IPlugLV2UI::OpenInParent() {
  if (!mUrids || !mParent || !EditorWindowAvailable()) return false;
  MainThreadScope scope(MainLock());
  HostHeardCurrentValues();
  mOpen = OpenEditorWindow(mParent);
  if (!mOpen) return false;
  int width = 0;
  int height = 0;
  EditorPixelSize(width, height);
  if (mResize) {
    MainThreadUnlock unlocked;
    mResize->ui_resize(mResize->handle, width, height);
  }
  // The processor tells every value it holds, including those the host's
  // ports do not show (its own changes, settings without a port).
  SendMessage(mUrids->resend, nullptr, 0);
  return true;
}

void IPlugLV2UI::CloseEditor() {
  MainThreadScope scope(MainLock());
  if (!mOpen) return;
  mOpen = false;
  OnEditorClosed();
  CloseEditorWindow();
}

int IPlugLV2UI::Idle() {
  MainThreadScope scope(MainLock());
  if (!mOpen) return 1;
  OnHostIdle();
  return 0;
}

void IPlugLV2UI::PortEvent(std::uint32_t port, std::uint32_t size, std::uint32_t format, const void* buffer) {
  if (!buffer || !mUrids) return;
  MainThreadScope scope(MainLock());
  const LV2PortLayout::Port found = mLayout.Find(port);
  if (format == 0 && size == sizeof(float) && found.kind == LV2PortLayout::Kind::Param) {
    const float value = *static_cast<const float*>(buffer);
    const IParam* param = GetParam(found.index);
    // The readings come with the snapshots; an input the editor already
    // holds (its own write coming back) changes nothing.
    if (IsOutputParam(found.index) || std::isnan(value) || static_cast<float>(param->GetValue()) == value)
      return;
    SetParameterFromHost(found.index, param->NormalizedFromValue(static_cast<double>(value)));
    return;
  }
  if (format != mUrids->atomEventTransfer || size < sizeof(LV2_Atom)) return;
  const auto* atom = static_cast<const LV2_Atom*>(buffer);
  if (atom->size > size - sizeof(LV2_Atom)) return;
  const auto* body = static_cast<const std::byte*>(LV2_ATOM_BODY_CONST(atom));
  if (atom->type == mUrids->snapshot) {
    ShowEditorSnapshot(std::span<const std::byte>(body, atom->size));
  } else if (atom->type == mUrids->param && atom->size >= sizeof(LV2ParamBody)) {
    LV2ParamBody param;
    std::memcpy(&param, body, sizeof(param));
    const IParam* target = GetParam(param.index);
    if (target && std::isfinite(param.value) && target->GetValue() != param.value) {
      SetParameterFromHost(param.index, target->NormalizedFromValue(param.value));
      // The host learns a value the processor set itself.
      const auto value = static_cast<float>(target->GetValue());
      WritePort(mLayout.Param(param.index), sizeof(value), 0, &value);
    }
  }
}

void IPlugLV2UI::SendParamToHost(int index, double normalized) {
  const IParam* param = GetParam(index);
  if (!param || IsOutputParam(index) || !mUrids) return;
  NoteHostHeard(index, normalized);
  const double real = param->ValueFromNormalized(normalized);
  LV2ParamBody body;
  body.index = index;
  body.value = real;
  SendMessage(mUrids->param, &body, sizeof(body));
  const auto value = static_cast<float>(real);
  WritePort(mLayout.Param(index), sizeof(value), 0, &value);
}

void IPlugLV2UI::BeginParamGesture(int index) {
  if (!mTouch || !GetParam(index)) return;
  MainThreadUnlock unlocked;
  mTouch->touch(mTouch->handle, mLayout.Param(index), true);
}

void IPlugLV2UI::EndParamGesture(int index) {
  if (!mTouch || !GetParam(index)) return;
  MainThreadUnlock unlocked;
  mTouch->touch(mTouch->handle, mLayout.Param(index), false);
}

bool IPlugLV2UI::RequestEditorSize(int width, int height) {
  if (!HasEditor() || (width == EditorWidth() && height == EditorHeight())) return false;
  SetEditorSize(width, height);
  if (!mResize) return false;
  MainThreadUnlock unlocked;
  return mResize->ui_resize(mResize->handle, width, height) == 0;
}

void IPlugLV2UI::WritePort(std::uint32_t port, std::uint32_t size, std::uint32_t format, const void* buffer) {
  if (!mInfo.write) return;
  MainThreadUnlock unlocked;
  mInfo.write(mInfo.controller, port, size, format, buffer);
}

void IPlugLV2UI::SendMessage(LV2_URID type, const void* body, std::uint32_t size) {
  mMessage.assign(sizeof(LV2_Atom) + size, 0);
  const LV2_Atom header{size, type};
  std::memcpy(mMessage.data(), &header, sizeof(header));
  if (size > 0) std::memcpy(mMessage.data() + sizeof(header), body, size);
  WritePort(mLayout.MessagesIn(), static_cast<std::uint32_t>(mMessage.size()), mUrids->atomEventTransfer,
            mMessage.data());
}

}  // namespace iplug
