#include "IPlugAPIBase.h"

#include <cmath>

namespace iplug {

IPlugAPIBase::IPlugAPIBase(const PluginConfig& config) : IPluginBase(config) {}

IPlugAPIBase::~IPlugAPIBase() { StopTimer(); }

void IPlugAPIBase::SetParameterFromHost(int index, double normalized) {
  IParam* param = GetParam(index);
  if (!param) return;
  param->SetNormalizedValue(normalized);
  QueueParamForEditor(index, normalized, true);
  OnParamChange(index, ParamSource::Host, -1);
}

bool IPlugAPIBase::SetParameterTextFromHost(int index, const char* text) {
  IParam* param = GetParam(index);
  if (!param || !text) return false;
  const double value = param->ParseDisplay(text);
  param->SetValue(value);
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

void IPlugAPIBase::QueueParamForEditor(int index, double value, bool isNormalized) {
  const IParam* param = GetParam(index);
  if (!param || std::isnan(value)) return;
  if (isNormalized) value = param->ValueFromNormalized(value);
  mQueues.params.Push({index, value});
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
    ParamChange change;
    for (std::size_t n = 0; n < mQueues.params.capacity() && mQueues.params.Pop(change); ++n)
      IPluginBase::SendParamToEditor(change.index, change.value, false);
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
  if (!mTimer) mTimer = Timer::Create([this] { OnTimer(); }, kTimerIntervalMs);
}

void IPlugAPIBase::StopTimer() {
  mTicksEnabled.store(false);
  if (mTimer) mTimer->Stop();
}

}  // namespace iplug
