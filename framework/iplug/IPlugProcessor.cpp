#include "IPlugProcessor.h"

#include <algorithm>
#include <cmath>

namespace iplug {

namespace {

// Scratch buffers reserve this many samples up front, so that block-size
// changes up to it never allocate.
constexpr std::size_t kReservedFrames = 8192;

}  // namespace

IPlugProcessor::IPlugProcessor(const PluginConfig& config)
    : mPluginType(config.pluginType),
      mMidiIn(config.midiIn),
      mMidiOut(config.midiOut),
      mMPE(config.mpe),
      mLatency(config.latency) {
  ParsedChannelIO parsed = ParseChannelIO(config.channelIO ? config.channelIO : "");
  mIOConfigs = std::move(parsed.configs);
  const int counts[2] = {std::max(0, parsed.maxInputs), std::max(0, parsed.maxOutputs)};
  for (ERoute direction : {kInput, kOutput}) {
    const auto count = static_cast<std::size_t>(counts[direction]);
    mChannels[direction].resize(count);
    mPointers[direction].assign(count, nullptr);
    for (std::size_t i = 0; i < count; ++i) {
      ChannelData& channel = mChannels[direction][i];
      channel.scratch.reserve(kReservedFrames);
      channel.slot = &mPointers[direction][i];
      PointAtScratch(channel);
    }
  }
}

IPlugProcessor::~IPlugProcessor() = default;

void IPlugProcessor::PointAtScratch(ChannelData& channel) { *channel.slot = channel.scratch.data(); }

void IPlugProcessor::ProcessAudioBlock(double** inputs, double** outputs, int nFrames) {
  const int nIn = NChannelsConnected(kInput);
  const int nOut = NChannelsConnected(kOutput);
  const auto frames = static_cast<std::size_t>(std::max(0, nFrames));
  for (int i = 0; i < nOut; ++i) {
    if (i < nIn) {
      std::copy(inputs[i], inputs[i] + frames, outputs[i]);
    } else {
      std::fill(outputs[i], outputs[i] + frames, 0.0);
    }
  }
}

void IPlugProcessor::ProcessBuffers(float** inputs, float** outputs, int nFrames, bool accumulate) {
  if (nFrames < 0) return;
  if (nFrames > mBlockSize) ResizeBuffers(nFrames);
  BindInputBuffers(inputs, nFrames);
  BindOutputBuffers(outputs, nFrames, accumulate);
  ProcessAudioBlock(InputPointers(), OutputPointers(), nFrames);
  WriteOutputBuffers(nFrames, accumulate);
}

void IPlugProcessor::ProcessBuffers(double** inputs, double** outputs, int nFrames) {
  if (nFrames < 0) return;
  if (nFrames > mBlockSize) ResizeBuffers(nFrames);
  BindInputBuffers(inputs);
  BindOutputBuffers(outputs);
  ProcessAudioBlock(InputPointers(), OutputPointers(), nFrames);
}

void IPlugProcessor::BindInputBuffers(float* const* host, int nFrames) {
  const auto frames = static_cast<std::size_t>(std::clamp(nFrames, 0, mBlockSize));
  std::size_t next = 0;
  for (ChannelData& channel : mChannels[kInput]) {
    if (!channel.connected) continue;
    const float* source = host ? host[next++] : nullptr;
    if (source) {
      std::copy(source, source + frames, channel.scratch.begin());
    } else {
      std::fill(channel.scratch.begin(), channel.scratch.begin() + static_cast<std::ptrdiff_t>(frames), 0.0);
    }
    PointAtScratch(channel);
  }
}

void IPlugProcessor::BindInputBuffers(double* const* host) {
  std::size_t next = 0;
  for (ChannelData& channel : mChannels[kInput]) {
    if (!channel.connected) continue;
    double* buffer = host ? host[next++] : nullptr;
    *channel.slot = buffer ? buffer : channel.scratch.data();
  }
}

void IPlugProcessor::BindOutputBuffers(float* const* host, int nFrames, bool accumulate) {
  const auto frames = static_cast<std::size_t>(std::clamp(nFrames, 0, mBlockSize));
  std::size_t next = 0;
  for (ChannelData& channel : mChannels[kOutput]) {
    if (!channel.connected) continue;
    channel.hostBuffer32 = host ? host[next++] : nullptr;
    // Start from the host's content (or zeros to add), so an output the
    // plug-in does not write passes this block's data, never an old block.
    if (channel.hostBuffer32 && !accumulate) {
      std::copy(channel.hostBuffer32, channel.hostBuffer32 + frames, channel.scratch.begin());
    } else {
      std::fill(channel.scratch.begin(), channel.scratch.begin() + static_cast<std::ptrdiff_t>(frames), 0.0);
    }
    PointAtScratch(channel);
  }
}

void IPlugProcessor::BindOutputBuffers(double* const* host) {
  std::size_t next = 0;
  for (ChannelData& channel : mChannels[kOutput]) {
    if (!channel.connected) continue;
    double* buffer = host ? host[next++] : nullptr;
    *channel.slot = buffer ? buffer : channel.scratch.data();
  }
}

void IPlugProcessor::WriteOutputBuffers(int nFrames, bool accumulate) {
  const auto frames = static_cast<std::size_t>(std::clamp(nFrames, 0, mBlockSize));
  for (ChannelData& channel : mChannels[kOutput]) {
    if (!channel.connected || !channel.hostBuffer32) continue;
    for (std::size_t n = 0; n < frames; ++n) {
      const auto sample = static_cast<float>(channel.scratch[n]);
      channel.hostBuffer32[n] = accumulate ? channel.hostBuffer32[n] + sample : sample;
    }
  }
}

void IPlugProcessor::ResizeBuffers(int maxFrames) {
  if (maxFrames <= 0 || maxFrames == mBlockSize) return;
  for (auto& channels : mChannels) {
    for (ChannelData& channel : channels) {
      channel.scratch.resize(static_cast<std::size_t>(maxFrames), 0.0);
      PointAtScratch(channel);
    }
  }
  mBlockSize = maxFrames;
}

void IPlugProcessor::ConnectChannels(ERoute direction, int first, int count, bool connected) {
  const int total = MaxNChannels(direction);
  const int begin = std::max(0, first);
  const int end = std::min(total, first + std::max(0, count));
  for (int i = begin; i < end; ++i) {
    ChannelData& channel = mChannels[direction][static_cast<std::size_t>(i)];
    if (channel.connected && !connected) {
      std::fill(channel.scratch.begin(), channel.scratch.end(), 0.0);
      channel.hostBuffer32 = nullptr;
      PointAtScratch(channel);
    }
    channel.connected = connected;
  }
}

const IOConfig* IPlugProcessor::GetIOConfig(int index) const {
  return index >= 0 && index < NIOConfigs() ? &mIOConfigs[static_cast<std::size_t>(index)] : nullptr;
}

int IPlugProcessor::NChannelsConnected(ERoute direction) const {
  return static_cast<int>(std::count_if(mChannels[direction].begin(), mChannels[direction].end(),
                                        [](const ChannelData& channel) { return channel.connected; }));
}

bool IPlugProcessor::IsChannelConnected(ERoute direction, int channel) const {
  const ChannelData* data = GetChannel(direction, channel);
  return data && data->connected;
}

const ChannelData* IPlugProcessor::GetChannel(ERoute direction, int channel) const {
  if (channel < 0 || channel >= MaxNChannels(direction)) return nullptr;
  return &mChannels[direction][static_cast<std::size_t>(channel)];
}

void IPlugProcessor::SetSampleRate(double sampleRate) {
  if (std::isfinite(sampleRate) && sampleRate > 0.0) mSampleRate = sampleRate;
}

}  // namespace iplug
