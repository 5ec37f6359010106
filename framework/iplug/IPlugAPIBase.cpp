#include "IPlugAPIBase.h"

#include <cmath>

namespace iplug {

IPlugAPIBase::IPlugAPIBase(const PluginConfig& config)
    : IPluginBase(config),
      mHostValues(std::make_unique<std::atomic<float>[]>(static_cast<std::size_t>(NParams()))) {}

IPlugAPIBase::~IPlugAPIBase() { StopTimer(); }

void IPlugAPIBase::SetParameterFromHost(int index, double normalized) {
  IParam* param = GetParam(index);
  if (!param) return;
  NoteHostHeard(index, normalized);
  // The value the host read, written back as the float it keeps, leaves
  // the value as it is: hosts write every parameter back after loading a
  // session or an automation pass, and a value moved by the float's
  // rounding would set off what a real change does (a restarted
  // measurement).
  if (static_cast<float>(param->GetNormalizedValue()) != static_cast<float>(normalized))
    param->SetNormalizedValue(normalized);
  QueueParamForEditor(index, normalized, true);
  OnParamChange(index, ParamSource::Host, -1);
}

bool IPlugAPIBase::SetParameterTextFromHost(int index, const char* text) {
  IParam* param = GetParam(index);
  if (!param || !text) return false;
  const double value = param->ParseDisplay(text);
  param->SetValue(value);
  NoteHostHeard(index, param->GetNormalizedValue());
  QueueParamForEditor(index, value, false);
  OnParamChange(index, ParamSource::Host, -1);
  return true;
}

void IPlugAPIBase::SetParamFromEditor(int index, double normalized) {
  IParam* param = GetParam(index);
  if (!param) return;
  param->SetNormalizedValue(normalized);
  SendParamToHost(index, normalized);
  OnParamChange(index, ParamSource::Editor, -1);
  param->SetNormalizedValue(normalized);
  OnParamChangeEditor(index, ParamSource::Editor);
}

void IPlugAPIBase::HostHeardCurrentValues() {
  for (int i = 0; i < NParams(); ++i) NoteHostHeard(i, GetParam(i)->GetNormalizedValue());
  mHostValuesKnown.store(true);
}

void IPlugAPIBase::NoteHostHeard(int index, double normalized) {
  if (index >= 0 && index < NParams())
    mHostValues[static_cast<std::size_t>(index)].store(static_cast<float>(normalized),
                                                       std::memory_order_relaxed);
}

void IPlugAPIBase::OnParamsRecalled() {
  if (!mHostValuesKnown.load()) return;  // still being built: the host reads the values later
  bool told = false;
  for (int i = 0; i < NParams(); ++i) {
    const double normalized = GetParam(i)->GetNormalizedValue();
    const float heard = mHostValues[static_cast<std::size_t>(i)].load(std::memory_order_relaxed);
    if (IsOutputParam(i) || static_cast<float>(normalized) == heard) continue;
    SendParamToHost(i, normalized);
    NoteHostHeard(i, normalized);
    told = true;
  }
  if (told) NotifyHostDisplayChanged();
}

void IPlugAPIBase::QueueParamForEditor(int index, double value, bool isNormalized) {
  const IParam* param = GetParam(index);
  if (!param || std::isnan(value)) return;
  if (isNormalized) value = param->ValueFromNormalized(value);
  if (!mQueues.params.Push({index, value})) mQueueOverflowed.store(true);
}

void IPlugAPIBase::SendParamToEditor(int index, double value, bool isNormalized) {
  if (!InMainThreadScope()) {
    QueueParamForEditor(index, value, isNormalized);
    return;
  }
  IPluginBase::SendParamToEditor(index, value, isNormalized);
}

void IPlugAPIBase::OnTimer() {
  if (!mTicksEnabled.load()) return;
  if (HasEditor()) {
    // At most one ring's worth each, so producers that keep pushing cannot
    // hold the tick.
    // An entry only says which parameter changed: the editor shows the
    // value the parameter holds now, so an older queued value never
    // overwrites a state loaded after it.
    ParamChange change;
    for (std::size_t n = 0; n < mQueues.params.capacity() && mQueues.params.Pop(change); ++n) {
      if (const IParam* param = GetParam(change.index))
        IPluginBase::SendParamToEditor(change.index, param->GetValue(), false);
    }
    // Changes the full ring dropped: every control is brought up to date.
    if (mQueueOverflowed.exchange(false))
      for (int i = 0; i < NParams(); ++i) IPluginBase::SendParamToEditor(i, GetParam(i)->GetValue(), false);
    IMidiMsg midi;
    for (std::size_t n = 0; n < mQueues.midiToEditor.capacity() && mQueues.midiToEditor.Pop(midi); ++n)
      SendMidiMsgToEditor(midi);
    ISysEx sysEx;
    for (std::size_t n = 0; n < mQueues.sysExToEditor.capacity() && mQueues.sysExToEditor.Pop(sysEx); ++n)
      SendSysexMsgToEditor(sysEx);
  }
  OnIdle();
}

void IPlugAPIBase::OnHostIdle() {
  if (mTimer) mTimer->TickIfDue();
}

void IPlugAPIBase::StartTimer() {
  if (!mTimer) mTimer = Timer::Create([this] { OnTimer(); }, kTimerIntervalMs, *mMainLock);
}

void IPlugAPIBase::StopTimer() {
  mTicksEnabled.store(false);
  if (mTimer) mTimer->Stop();
}

}  // namespace iplug
