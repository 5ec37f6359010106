// The top of the framework's class chain: the VST 2 binding. It owns the
// effect record the host talks to and translates the host's dispatcher,
// parameter and process calls into the operations of the plug-in base, and
// the base's host notifications into host callback calls.
//
// Threads: the dispatcher runs on the host's GUI thread, under the
// instance's own main-thread lock (see Timer.h), which is let go around
// every call into the host; effEditIdle and effIdle run the timer's due
// ticks. The opcodes a host may send from its audio thread (events, start
// and stop of processing, bypass, tail size, vendor queries) and the fixed
// identity answers take no lock at all (AnswersWithoutLock in the
// dispatcher). The process callbacks run on the host's audio thread and
// never take the lock; setParameter and getParameter may come from any
// thread and never take it either. Every entry point catches whatever is
// thrown below it.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/iplug/ByteChunk.h"
#include "framework/iplug/IPlug.h"
#include "framework/iplug/ParamChangeQueue.h"
#include "vst2/VSTInterface.h"

namespace iplug {

// What the entry point hands to the plug-in class's constructor.
struct InstanceInfo {
  vst2::audioMasterCallback hostCallback = nullptr;  // null: every host call answers 0
};

// The first two integers of every state chunk: 'tffp' in the first four
// bytes (little-endian), then the format version.
inline constexpr std::int32_t kStateChunkMagic = 0x70666674;
inline constexpr std::int32_t kStateChunkVersion = 0x00010000;
// The largest state chunk a host may hand over. A plug-in's state on this
// framework is a few kilobytes of settings; a larger chunk is refused before
// anything is copied or parsed, as one that could only hold the host up.
inline constexpr std::int64_t kMaxStateChunkBytes = std::int64_t{4} << 20;

// The largest block the buffers are ever sized for; longer host blocks are
// processed in slices of this size.
inline constexpr int kMaxBlockFrames = 65536;

// Derived virtually from the plug-in base, which the most derived class
// constructs: the plug-in class joined with it, or a plug-in written
// directly on the binding.
class alignas(IPlug) IPlugVST2 : public virtual IPlug {
 public:
  ~IPlugVST2() override;

  const InstanceInfo& GetInstanceInfo() const { return mInstanceInfo; }
  vst2::AEffect& GetEffect() { return mEffect; }
  const vst2::AEffect& GetEffect() const { return mEffect; }

  // The entry point's last step once the plug-in class is constructed:
  // fills every preset slot still uninitialized and makes sure the host sees
  // at least one program.
  void CompleteConstruction();

  // Host-facing operations of the plug-in base.
  void SendParamToHost(int index, double normalized) override;
  void BeginParamGesture(int index) override;
  void EndParamGesture(int index) override;
  bool RequestEditorSize(int width, int height) override;
  void NotifyHostDisplayChanged() override;
  void ChangeLatency(int samples) override;

  // The effect record's callbacks. Each finds the plug-in through the
  // record's object field.
  static vst2::VstIntPtr VSTDispatcher(vst2::AEffect* effect, vst2::VstInt32 opcode, vst2::VstInt32 index,
                                       vst2::VstIntPtr value, void* ptr, float opt);
  static void VSTProcess(vst2::AEffect* effect, float** inputs, float** outputs, vst2::VstInt32 nFrames);
  static void VSTProcessReplacing(vst2::AEffect* effect, float** inputs, float** outputs,
                                  vst2::VstInt32 nFrames);
  static void VSTProcessDoubleReplacing(vst2::AEffect* effect, double** inputs, double** outputs,
                                        vst2::VstInt32 nFrames);
  static void VSTSetParameter(vst2::AEffect* effect, vst2::VstInt32 index, float value);
  static float VSTGetParameter(vst2::AEffect* effect, vst2::VstInt32 index);

 protected:
  explicit IPlugVST2(const InstanceInfo& info);

  // Runs at the end of the host-specific set-up on the first effOpen.
  virtual void OnHostIdentified() {}

  // A MIDI message from the host (audio thread). The default echoes it to
  // the host and queues it for the editor.
  virtual void ProcessMidiMsg(const IMidiMsg& message);
  // A system-exclusive message from the host (audio thread); ignored.
  virtual void ProcessSysEx(const ISysEx& /*message*/) {}

  // The processor's gain reduction as a linear factor (1: none), for hosts
  // that display it.
  virtual double GetGainReduction() const { return 1.0; }

  // One call of the host callback; 0 without a callback.
  vst2::VstIntPtr HostCall(vst2::VstInt32 opcode, vst2::VstInt32 index = 0, vst2::VstIntPtr value = 0,
                           void* ptr = nullptr, float opt = 0.0f);

 private:
  vst2::VstIntPtr Dispatch(vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value, void* ptr,
                           float opt);
  vst2::VstIntPtr DispatchUnlocked(vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value,
                                   void* ptr, float opt);
  vst2::VstIntPtr DispatchProgram(vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value,
                                  void* ptr);
  vst2::VstIntPtr DispatchParam(vst2::VstInt32 opcode, vst2::VstInt32 index, void* ptr);
  vst2::VstIntPtr DispatchEditor(vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value,
                                 void* ptr, float opt);
  vst2::VstIntPtr DispatchChannels(vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value,
                                   void* ptr);
  void OpenFromHost();
  vst2::VstIntPtr CanDo(const char* query) const;
  vst2::VstIntPtr VendorSpecific(vst2::VstInt32 index, vst2::VstIntPtr value, void* ptr, float opt);
  vst2::VstIntPtr ProcessEvents(const vst2::VstEvents* events);
  vst2::VstIntPtr KeyEvent(bool down, vst2::VstInt32 character, vst2::VstIntPtr virtualKey, float modifiers);

  // State chunks.
  vst2::VstIntPtr GetChunk(bool bank, void* ptr);
  vst2::VstIntPtr SetChunk(bool bank, vst2::VstIntPtr size, const void* data);

  // Processing.
  template <typename Sample>
  void ProcessFromHost(Sample** inputs, Sample** outputs, int nFrames, bool accumulate);
  template <typename Sample>
  void ProcessBlock(Sample** inputs, Sample** outputs, int nFrames, bool accumulate);
  void PrepareBlock();
  void SendQueuedSysEx();

  void SetSpeakerChannels(vst2::VstSpeakerArrangement& arrangement, int channels);

  InstanceInfo mInstanceInfo;
  vst2::AEffect mEffect{};
  ByteChunk mProgramChunk;
  ByteChunk mBankChunk;
  vst2::VstSpeakerArrangement mInputArrangement{};
  vst2::VstSpeakerArrangement mOutputArrangement{};
  vst2::ERect mEditorRect{};
  bool mIOChangeInProgress = false;
  bool mEditorClosing = false;
  bool mHostSendsIntegerValues = false;  // see HostSendsIntegerRangeValues

  // Events sent to the host from the audio thread, built without allocation.
  struct OneEvent {
    vst2::VstInt32 numEvents = 1;
    vst2::VstIntPtr reserved = 0;
    vst2::VstEvent* events[2] = {};
  };
  vst2::VstMidiEvent mMidiOut{};
  vst2::VstMidiSysexEvent mSysExOut{};
  OneEvent mEventsOut;
};

}  // namespace iplug
