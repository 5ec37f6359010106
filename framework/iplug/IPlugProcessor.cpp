#include "IPlugProcessor.h"

#include <algorithm>
#include <cmath>
#include <utility>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace iplug {

namespace {

// Process calls running on this thread, whatever the instance.
// Initial-exec: in the static TLS block every thread gets, so that the first
// process call of a new audio thread allocates nothing (the dynamic model of
// a module loaded with dlopen allocates on a thread's first access; see
// tHostChangeDepth in plugin/ParamReactions.cpp).
[[gnu::tls_model("initial-exec")]] thread_local int tProcessCalls = 0;

constexpr std::size_t kFloatsPerLine = 16;  // in a 64-byte cache line

// The host's 32-bit samples in double precision, four at a time where the
// processor converts them in registers (left to itself the compiler passes
// each half through the stack).
void WidenSamples(const float* source, double* target, std::size_t frames) {
  std::size_t n = 0;
#if defined(__SSE2__)
  for (; n + 4 <= frames; n += 4) {
    const __m128 four = _mm_loadu_ps(source + n);
    _mm_storeu_pd(target + n, _mm_cvtps_pd(four));
    _mm_storeu_pd(target + n + 2, _mm_cvtps_pd(_mm_movehl_ps(four, four)));
  }
#endif
  for (; n < frames; ++n) target[n] = source[n];
}

}  // namespace

bool IPlugProcessor::InProcessCallOnThisThread() { return tProcessCalls > 0; }

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
    for (std::size_t i = 0; i < count; ++i) mChannels[direction][i].slot = &mPointers[direction][i];
  }
  mSlice32.inputs.resize(mChannels[kInput].size());
  mSlice32.outputs.resize(mChannels[kOutput].size());
  mSlice64.inputs.resize(mChannels[kInput].size());
  mSlice64.outputs.resize(mChannels[kOutput].size());
}

IPlugProcessor::~IPlugProcessor() { delete mScratch.exchange(nullptr); }

void IPlugProcessor::PointAtScratch(ChannelData& channel) { *channel.slot = channel.scratch; }

double* IPlugProcessor::ScratchOf(const ScratchBuffers& buffers, ERoute direction, int channel) const {
  const int index = (direction == kInput ? 0 : MaxNChannels(kInput)) + channel;
  return buffers.samples.get() + static_cast<std::ptrdiff_t>(index) * buffers.frames;
}

void IPlugProcessor::BeginProcessCall() {
  ++tProcessCalls;
  if (mCallDepth++ > 0) return;
  // Counted before the buffers are read: a thread that replaces them and
  // then finds no call running knows every later call reads the new ones.
  mCallsRunning.fetch_add(1, std::memory_order_seq_cst);
  mActive = mScratch.load(std::memory_order_seq_cst);
  for (ERoute direction : {kInput, kOutput}) {
    for (int i = 0; i < MaxNChannels(direction); ++i)
      mChannels[direction][static_cast<std::size_t>(i)].scratch =
          mActive ? ScratchOf(*mActive, direction, i) : nullptr;
  }
}

void IPlugProcessor::EndProcessCall() {
  --tProcessCalls;
  if (--mCallDepth > 0) return;
  mActive = nullptr;
  mCallsEnded.fetch_add(1, std::memory_order_seq_cst);
  mCallsRunning.fetch_sub(1, std::memory_order_seq_cst);
}

void IPlugProcessor::FreeUnusedScratch() {
  const bool idle = mCallsRunning.load(std::memory_order_seq_cst) == 0;
  const std::uint64_t ended = mCallsEnded.load(std::memory_order_seq_cst);
  std::erase_if(mRetiredScratch, [&](const RetiredScratch& r) { return idle || ended > r.callsEndedBefore; });
}

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
  if (mCallDepth == 0 && nFrames > GetBlockSize()) ResizeBuffers(nFrames);
  BeginProcessCall();
  nFrames = std::min(nFrames, ProcessCallFrames());
  const ChannelSpan used = ChannelsOfNextBlock();
  BindInputBuffers(inputs, nFrames, used);
  BindOutputBuffers(outputs, nFrames, accumulate, used);
  const bool keepBefore = std::exchange(mKeepHostOutputs, false);
  ProcessAudioBlock(InputPointers(), OutputPointers(), nFrames);
  // Added to, the host's content stays as it is too.
  if (!mKeepHostOutputs || accumulate) WriteOutputBuffers(nFrames, accumulate);
  mKeepHostOutputs = keepBefore;
  EndProcessCall();
}

void IPlugProcessor::ProcessBuffers(double** inputs, double** outputs, int nFrames) {
  if (nFrames < 0) return;
  if (mCallDepth == 0 && nFrames > GetBlockSize()) ResizeBuffers(nFrames);
  BeginProcessCall();
  nFrames = std::min(nFrames, ProcessCallFrames());
  BindInputBuffers(inputs);
  BindOutputBuffers(outputs);
  ProcessAudioBlock(InputPointers(), OutputPointers(), nFrames);
  EndProcessCall();
}

void IPlugProcessor::BindInputBuffers(float* const* host, int nFrames, ChannelSpan used) {
  const auto frames = static_cast<std::size_t>(std::clamp(nFrames, 0, ProcessCallFrames()));
  // The host's buffers may come from main memory: all their lines are asked
  // for at once before the conversion reads them one by one.
  std::size_t next = 0;
  for (int i = 0; host && i < MaxNChannels(kInput); ++i) {
    if (!mChannels[kInput][static_cast<std::size_t>(i)].connected) continue;
    const float* source = host[next++];
    if (!source || !used.Contains(i)) continue;
    for (std::size_t n = 0; n < frames; n += kFloatsPerLine) __builtin_prefetch(source + n);
  }
  next = 0;
  for (int i = 0; i < MaxNChannels(kInput); ++i) {
    ChannelData& channel = mChannels[kInput][static_cast<std::size_t>(i)];
    PointAtScratch(channel);
    if (!channel.connected) continue;
    const float* source = host ? host[next++] : nullptr;
    if (!used.Contains(i)) continue;
    if (source) {
      WidenSamples(source, channel.scratch, frames);
    } else {
      std::fill(channel.scratch, channel.scratch + frames, 0.0);
    }
  }
}

void IPlugProcessor::BindInputBuffers(double* const* host) {
  std::size_t next = 0;
  for (ChannelData& channel : mChannels[kInput]) {
    if (!channel.connected) {
      PointAtScratch(channel);
      continue;
    }
    double* buffer = host ? host[next++] : nullptr;
    *channel.slot = buffer ? buffer : channel.scratch;
  }
}

void IPlugProcessor::BindOutputBuffers(float* const* host, int nFrames, bool accumulate, ChannelSpan used) {
  const auto frames = static_cast<std::size_t>(std::clamp(nFrames, 0, ProcessCallFrames()));
  const bool overwritten = WritesUsedOutputs();
  const bool inPlace = overwritten && !accumulate && ProcessesInPlace();
  std::size_t next = 0;
  for (int i = 0; i < MaxNChannels(kOutput); ++i) {
    ChannelData& channel = mChannels[kOutput][static_cast<std::size_t>(i)];
    PointAtScratch(channel);
    channel.hostBuffer32 = nullptr;
    if (!channel.connected) continue;
    float* buffer = host ? host[next++] : nullptr;
    if (!used.Contains(i)) continue;
    channel.hostBuffer32 = buffer;
    // The output takes the buffer of its channel's input, which holds this
    // block's samples (an input that is not connected keeps its silence).
    const ChannelData* input = GetChannel(kInput, i);
    if (inPlace && buffer && input && input->connected) {
      *channel.slot = input->scratch;
      continue;
    }
    // Start from the host's content (or zeros to add), so an output the
    // plug-in does not write passes this block's data, never an old block;
    // not needed when the plug-in writes every such output.
    if (channel.hostBuffer32 && !accumulate) {
      if (!overwritten) WidenSamples(channel.hostBuffer32, channel.scratch, frames);
    } else {
      std::fill(channel.scratch, channel.scratch + frames, 0.0);
    }
  }
}

void IPlugProcessor::BindOutputBuffers(double* const* host) {
  std::size_t next = 0;
  for (ChannelData& channel : mChannels[kOutput]) {
    if (!channel.connected) {
      PointAtScratch(channel);
      continue;
    }
    double* buffer = host ? host[next++] : nullptr;
    *channel.slot = buffer ? buffer : channel.scratch;
  }
}

void IPlugProcessor::WriteOutputBuffers(int nFrames, bool accumulate) {
  const auto frames = static_cast<std::size_t>(std::clamp(nFrames, 0, ProcessCallFrames()));
  for (ChannelData& channel : mChannels[kOutput]) {
    if (!channel.connected || !channel.hostBuffer32) continue;
    const double* result = *channel.slot;
    for (std::size_t n = 0; n < frames; ++n) {
      const auto sample = static_cast<float>(result[n]);
      channel.hostBuffer32[n] = accumulate ? channel.hostBuffer32[n] + sample : sample;
    }
  }
}

void IPlugProcessor::ResizeBuffers(int maxFrames) {
  if (maxFrames <= 0) return;
  FreeUnusedScratch();
  const ScratchBuffers* current = mScratch.load(std::memory_order_acquire);
  if (current && current->frames == maxFrames) return;
  auto fresh = std::make_unique<ScratchBuffers>();
  fresh->frames = maxFrames;
  const auto channels = static_cast<std::size_t>(MaxNChannels(kInput) + MaxNChannels(kOutput));
  fresh->samples =
      std::make_unique<double[]>(std::max<std::size_t>(channels, 1) * static_cast<std::size_t>(maxFrames));
  ScratchBuffers* replaced = mScratch.exchange(fresh.release(), std::memory_order_seq_cst);
  mBlockSize.store(maxFrames, std::memory_order_relaxed);
  if (replaced) mRetiredScratch.push_back({std::unique_ptr<ScratchBuffers>(replaced), mCallsEnded.load()});
  FreeUnusedScratch();
}

void IPlugProcessor::ConnectChannels(ERoute direction, int first, int count, bool connected) {
  const int total = MaxNChannels(direction);
  const int begin = std::max(0, first);
  const int end = std::min(total, first + std::max(0, count));
  for (int i = begin; i < end; ++i) {
    ChannelData& channel = mChannels[direction][static_cast<std::size_t>(i)];
    // A channel leaving reads silence from its buffer from now on. Hosts
    // change the layout between process calls, not during one.
    if (channel.connected && !connected) {
      if (ScratchBuffers* buffers = mScratch.load(std::memory_order_acquire)) {
        double* scratch = ScratchOf(*buffers, direction, i);
        std::fill(scratch, scratch + buffers->frames, 0.0);
      }
      channel.hostBuffer32 = nullptr;
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
  if (std::isfinite(sampleRate) && sampleRate > 0.0) mSampleRate.store(sampleRate, std::memory_order_relaxed);
}

}  // namespace iplug
