// The audio side of the plug-in: channel configurations, per-channel buffers
// and their binding to the host's buffers, sample rate, block size, latency
// and the host's transport state.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "IOConfig.h"
#include "PluginConfig.h"
#include "TimeInfo.h"

namespace iplug {

// One channel of one direction.
struct ChannelData {
  bool connected = true;
  double** slot = nullptr;        // this channel's entry in the pointer array of its direction
  float* hostBuffer32 = nullptr;  // outputs on the 32-bit path: where the result goes
  std::vector<double> scratch;    // sized to the maximum block size
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

  // Runs one block on the host's 32-bit buffers: binds them, processes in
  // double precision and converts the connected outputs back (added to the
  // host's content when accumulating). An output the plug-in leaves alone
  // keeps the host's content (zeros are added when accumulating).
  void ProcessBuffers(float** inputs, float** outputs, int nFrames, bool accumulate);
  // Runs one block directly on the host's 64-bit buffers.
  void ProcessBuffers(double** inputs, double** outputs, int nFrames);

  // Buffer binding, the steps of ProcessBuffers. The host's buffers are taken
  // in order by the connected channels only.
  void BindInputBuffers(float* const* host, int nFrames);
  void BindInputBuffers(double* const* host);
  void BindOutputBuffers(float* const* host, int nFrames, bool accumulate);
  void BindOutputBuffers(double* const* host);
  void WriteOutputBuffers(int nFrames, bool accumulate);
  double** InputPointers() { return mPointers[kInput].data(); }
  double** OutputPointers() { return mPointers[kOutput].data(); }

  // Sets the maximum block size; sizes <= 0 are ignored.
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
  double GetSampleRate() const { return mSampleRate; }
  void SetSampleRate(double sampleRate);
  int GetBlockSize() const { return mBlockSize; }
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
  void PointAtScratch(ChannelData& channel);

  int mPluginType;
  bool mMidiIn;
  bool mMidiOut;
  bool mMPE;
  std::atomic<int> mLatency;
  double mSampleRate = 48000.0;
  int mBlockSize = 0;
  bool mRenderingOffline = false;
  TimeInfo mTimeInfo;
  std::vector<IOConfig> mIOConfigs;
  std::vector<ChannelData> mChannels[2];
  std::vector<double*> mPointers[2];
};

}  // namespace iplug
