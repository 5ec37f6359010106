// The host-facing layer of the base: parameter traffic from the host and the
// editor, the queue towards the editor, the framework timer, and the
// operations that notify the host (implemented by the host binding; here
// they do nothing, so a plug-in can run and be tested without a host).
#pragma once

#include <atomic>
#include <memory>

#include "IPluginBase.h"
#include "ParamChangeQueue.h"
#include "Timer.h"

namespace iplug {

inline constexpr int kTimerIntervalMs = 20;

class IPlugAPIBase : public IPluginBase {
 public:
  explicit IPlugAPIBase(const PluginConfig& config);
  ~IPlugAPIBase() override;

  // Host notifications. Any thread unless noted.
  virtual void SendParamToHost(int /*index*/, double /*normalized*/) {}
  void BeginParamGesture(int /*index*/) override {}
  void EndParamGesture(int /*index*/) override {}
  virtual bool RequestEditorSize(int /*width*/, int /*height*/) { return false; }
  virtual void NotifyHostDisplayChanged() {}

  // A host set a normalized value: store, queue for the editor, react.
  // Ignored for an index outside the list. Any thread.
  void SetParameterFromHost(int index, double normalized);
  // A host typed a value: parse, store, queue for the editor, react.
  bool SetParameterTextFromHost(int index, const char* text);
  // An editor control set a normalized value. Main thread.
  void SetParamFromEditor(int index, double normalized) override;
  // Pushes one value (converted to real) for the next tick; dropped when full.
  void QueueParamForEditor(int index, double value, bool isNormalized);
  // On the main thread the editor's controls are updated at once; from any
  // other thread the value is queued for the next tick instead.
  void SendParamToEditor(int index, double value, bool isNormalized) override;

  // Runs every tick on the main thread, after the queued values reached the
  // editor.
  virtual void OnIdle() {}
  // One timer tick: drain the queues to the editor, then OnIdle.
  void OnTimer();
  // The host gave idle time on its thread (effEditIdle, effIdle): runs the
  // tick when one is due.
  void OnHostIdle();

  // The timer starts ticking OnTimer at once, but the ticks reach the plug-in
  // only after EnableTimerTicks: the most derived class calls it as the last
  // step of its constructor and StopTimer as the first step of its
  // destructor, so a tick never meets a half-built or half-destroyed object.
  void StartTimer();
  void StopTimer();
  void EnableTimerTicks() { mTicksEnabled.store(true); }
  Timer* GetTimer() { return mTimer.get(); }

  ParamChangeQueue& Queues() { return mQueues; }

 protected:
  // Where MIDI and system-exclusive messages queued for the editor go.
  virtual void SendMidiMsgToEditor(const IMidiMsg& /*message*/) {}
  virtual void SendSysexMsgToEditor(const ISysEx& /*message*/) {}

 private:
  ParamChangeQueue mQueues;
  std::unique_ptr<Timer> mTimer;
  std::atomic<bool> mTicksEnabled{false};
};

}  // namespace iplug
