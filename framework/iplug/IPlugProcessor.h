// The audio side of the plug-in: channel configurations, per-channel buffers
// and their binding to the host's buffers, sample rate, block size, latency
// and the host's transport state.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "IOConfig.h"
#include "PluginConfig.h"
#include "TimeInfo.h"

namespace iplug {

// Channels first ... first + count - 1 of each direction.
struct ChannelSpan {
  int first = 0;
  int count = 0;
  bool Contains(int channel) const { return channel >= first && channel < first + count; }
};

// One channel of one direction.
struct ChannelData {
  bool connected = true;
  double** slot = nullptr;        // this channel's entry in the pointer array of its direction
  float* hostBuffer32 = nullptr;  // outputs on the 32-bit path: where the result goes
  double* scratch = nullptr;      // during a process call: its buffer of the block size
  std::string label;
};

class IPlugProcessor {
 public:
  explicit IPlugProcessor(const PluginConfig& config);
  virtual ~IPlugProcessor();
  IPlugProcessor(const IPlugProcessor&) = delete;
  IPlugProcessor& operator=(const IPlugProcessor&) = delete;

  // Hooks. ProcessAudioBlock runs on the audio thread once per block; the
  // default copies each input to the output of the same index and clears the
  // remaining outputs.
  virtual void ProcessAudioBlock(double** inputs, double** outputs, int nFrames);
  // After a sample rate or maximum block size change, when processing is
  // switched off, and when offline rendering starts or stops.
  virtual void ResetProcessing() {}
  virtual void SetActive(bool /*active*/) {}
  // At the end of each process call of the host, after every slice of it
  // went through ProcessAudioBlock, still on the audio thread.
  virtual void OnBlockEnd() {}
  // The host stopped processing (effStopProcess, or switched it off); on
  // the thread of that host call.
  virtual void OnProcessingStopped() {}
  // The plug-in's latency changed; the host binding also tells the host.
  virtual void ChangeLatency(int samples) { mLatency.store(samples); }
  // The channels the next ProcessAudioBlock reads and writes, asked on the
  // audio thread just before it. On the 32-bit path the others are neither
  // converted nor written back: their outputs keep the host's content, as
  // an output the plug-in leaves alone does. The default is every channel.
  virtual ChannelSpan ChannelsOfNextBlock() { return {0, kMaxChannelSpan}; }
  // True for a plug-in whose ProcessAudioBlock either writes every
  // connected output of ChannelsOfNextBlock in full or calls
  // KeepHostOutputs: the 32-bit path then does not first give those outputs
  // the host's content. Asked on the audio thread before each block.
  virtual bool WritesUsedOutputs() const { return false; }
  // True for a plug-in that also takes, for each channel, an output that is
  // its input's own buffer (reading the input before it writes the output):
  // the 32-bit path then gives the block's channels connected both ways one
  // buffer, the converted input, which the plug-in overwrites.
  virtual bool ProcessesInPlace() const { return false; }
  // From ProcessAudioBlock: this block writes no output; on the 32-bit path
  // the host's outputs keep their content.
  void KeepHostOutputs() { mKeepHostOutputs = true; }

  // Runs one block on the host's 32-bit buffers: binds them, processes in
  // double precision and converts the connected outputs back (added to the
  // host's content when accumulating). An output the plug-in leaves alone
  // keeps the host's content (zeros are added when accumulating).
  // Outside a process call a block longer than the buffers first makes them
  // longer, on the calling thread.
  void ProcessBuffers(float** inputs, float** outputs, int nFrames, bool accumulate);
  // Runs one block directly on the host's 64-bit buffers.
  void ProcessBuffers(double** inputs, double** outputs, int nFrames);
  // One block of the host's buffers (one pointer per connected channel)
  // inside a process call: in one piece when it fits the buffers in place
  // for the call, else in consecutive slices of their size over the host's
  // buffers (growing them here would allocate on the audio thread and
  // restart the measurement). Nothing before the call has buffers.
  void ProcessHostBlock(float** inputs, float** outputs, int nFrames, bool accumulate);
  void ProcessHostBlock(double** inputs, double** outputs, int nFrames);

  // A host's process call (audio thread): the scratch buffers in place at
  // its start serve the whole call, and are not freed before it ends, even
  // when the host announces another block size meanwhile. Calls nest.
  void BeginProcessCall();
  void EndProcessCall();
  // The frames the buffers of the running call hold.
  int ProcessCallFrames() const { return mActive ? mActive->frames : 0; }
  // Whether this thread is inside a process call (of any instance): the
  // audio thread, where nothing may allocate or wait.
  static bool InProcessCallOnThisThread();

  // Buffer binding, the steps of ProcessBuffers. The host's buffers are taken
  // in order by the connected channels only; on the 32-bit path only those
  // in `used` are converted.
  static constexpr int kMaxChannelSpan = 1 << 20;
  void BindInputBuffers(float* const* host, int nFrames, ChannelSpan used = {0, kMaxChannelSpan});
  void BindInputBuffers(double* const* host);
  void BindOutputBuffers(float* const* host, int nFrames, bool accumulate,
                         ChannelSpan used = {0, kMaxChannelSpan});
  void BindOutputBuffers(double* const* host);
  void WriteOutputBuffers(int nFrames, bool accumulate);
  double** InputPointers() { return mPointers[kInput].data(); }
  double** OutputPointers() { return mPointers[kOutput].data(); }

  // Sets the maximum block size; sizes <= 0 are ignored. New buffers are
  // obtained here (not on the audio thread) and take the place of the old
  // ones at the next process call; the old ones are freed once no process
  // call can be using them.
  void ResizeBuffers(int maxFrames);
  // Marks channels first ... first + count - 1 (bounded by the channel count).
  // A disconnected channel reads and writes its own cleared scratch buffer.
  void ConnectChannels(ERoute direction, int first, int count, bool connected);

  // Channel configurations.
  bool LegalIO(int inputs, int outputs) const { return IsLegalIO(mIOConfigs, inputs, outputs); }
  int NIOConfigs() const { return static_cast<int>(mIOConfigs.size()); }
  const IOConfig* GetIOConfig(int index) const;
  int MaxNChannels(ERoute direction) const { return static_cast<int>(mChannels[direction].size()); }
  int NChannelsConnected(ERoute direction) const;
  bool IsChannelConnected(ERoute direction, int channel) const;
  const ChannelData* GetChannel(ERoute direction, int channel) const;

  // Stream facts. SetSampleRate ignores rates that are not finite or <= 0.
  double GetSampleRate() const { return mSampleRate.load(std::memory_order_relaxed); }
  void SetSampleRate(double sampleRate);
  int GetBlockSize() const { return mBlockSize.load(std::memory_order_relaxed); }
  int GetLatency() const { return mLatency.load(); }
  int GetTailSize() const { return 0; }
  bool GetRenderingOffline() const { return mRenderingOffline; }
  void SetRenderingOffline(bool offline) { mRenderingOffline = offline; }
  const TimeInfo& GetTimeInfo() const { return mTimeInfo; }
  void SetTimeInfo(const TimeInfo& timeInfo) { mTimeInfo = timeInfo; }
  int GetPluginType() const { return mPluginType; }
  bool DoesMidiIn() const { return mMidiIn; }
  bool DoesMidiOut() const { return mMidiOut; }
  bool DoesMPE() const { return mMPE; }

 private:
  // The scratch buffers of every channel, of one block size, zeroed.
  struct ScratchBuffers {
    int frames = 0;
    std::unique_ptr<double[]> samples;  // inputs, then outputs, channel after channel
  };
  // A set replaced while a process call may still use it.
  struct RetiredScratch {
    std::unique_ptr<ScratchBuffers> buffers;
    std::uint64_t callsEndedBefore = 0;
  };

  // Host buffer pointers moved to the start of one slice of an over-long
  // block, one per channel, sized at construction.
  template <typename Sample>
  struct SlicePointers {
    std::vector<Sample*> inputs;
    std::vector<Sample*> outputs;
  };
  SlicePointers<float>& Slice(float*) { return mSlice32; }
  SlicePointers<double>& Slice(double*) { return mSlice64; }
  template <typename Sample>
  void ProcessInSlices(Sample** inputs, Sample** outputs, int nFrames, bool accumulate);

  void PointAtScratch(ChannelData& channel);
  double* ScratchOf(const ScratchBuffers& buffers, ERoute direction, int channel) const;
  void FreeUnusedScratch();

  int mPluginType;
  bool mMidiIn;
  bool mMidiOut;
  bool mMPE;
  std::atomic<int> mLatency;
  std::atomic<double> mSampleRate{48000.0};
  std::atomic<int> mBlockSize{0};

  // The buffers in place (owned), those of the running call (audio thread),
  // and the count of calls running and ended, which tells when a replaced
  // set is free.
  std::atomic<ScratchBuffers*> mScratch{nullptr};
  ScratchBuffers* mActive = nullptr;
  int mCallDepth = 0;
  bool mKeepHostOutputs = false;  // of the running ProcessAudioBlock
  std::atomic<int> mCallsRunning{0};
  std::atomic<std::uint64_t> mCallsEnded{0};
  std::vector<RetiredScratch> mRetiredScratch;  // the threads that resize
  bool mRenderingOffline = false;
  TimeInfo mTimeInfo;
  std::vector<IOConfig> mIOConfigs;
  std::vector<ChannelData> mChannels[2];
  std::vector<double*> mPointers[2];
  SlicePointers<float> mSlice32;
  SlicePointers<double> mSlice64;
};

}  // namespace iplug
