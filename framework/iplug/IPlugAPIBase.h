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
  // Pushes one value (converted to real) for the next tick; when the ring is
  // full, the next tick brings every control up to date instead.
  void QueueParamForEditor(int index, double value, bool isNormalized);
  // On the main thread the editor's controls are updated at once; from any
  // other thread the value is queued for the next tick instead.
  void SendParamToEditor(int index, double value, bool isNormalized) override;

  // What the host has heard of each parameter: the normalized value it set
  // or we sent it last, as the float it keeps. HostHeardCurrentValues starts
  // the record from every current value (the host reads them when it gets
  // the instance); NoteHostHeard is called by the binding for every value it
  // sends. Any thread; allocation-free.
  void HostHeardCurrentValues();
  void NoteHostHeard(int index, double normalized);
  // A parameter the plug-in writes and the host only records (a measured
  // value): a recall does not tell the host about it.
  virtual bool IsOutputParam(int /*index*/) const { return false; }
  // After a preset, program or state load: the host hears every parameter
  // whose value now differs from what it last heard, then that its display
  // changed, so that its own copy of every value is the plug-in's. Nothing
  // before HostHeardCurrentValues. Main thread, inside a call of the host.
  void OnParamsRecalled() override;

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

  // This instance's main-thread lock: its dispatcher calls and ticks hold
  // it. Shared, so that a call that destroys the instance can let go of it
  // afterwards.
  MainThreadLock& MainLock() { return *mMainLock; }
  std::shared_ptr<MainThreadLock> MainLockHandle() const { return mMainLock; }

  ParamChangeQueue& Queues() { return mQueues; }

 protected:
  // Where MIDI and system-exclusive messages queued for the editor go.
  virtual void SendMidiMsgToEditor(const IMidiMsg& /*message*/) {}
  virtual void SendSysexMsgToEditor(const ISysEx& /*message*/) {}

 private:
  std::shared_ptr<MainThreadLock> mMainLock = std::make_shared<MainThreadLock>();
  ParamChangeQueue mQueues;
  std::unique_ptr<Timer> mTimer;
  std::atomic<bool> mTicksEnabled{false};
  std::atomic<bool> mQueueOverflowed{false};
  std::unique_ptr<std::atomic<float>[]> mHostValues;
  std::atomic<bool> mHostValuesKnown{false};
};

}  // namespace iplug
