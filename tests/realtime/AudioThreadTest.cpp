// Kalvo5.so on a host's audio thread: nothing there allocates or frees,
// whatever another thread changes meanwhile and however long the blocks are,
// and an over-long block neither restarts nor disturbs the measurement.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "AudioThreadCounters.h"
#include "plugin/ReadingTable.h"
#include "support/ScratchFolder.h"
#include "vst2/VSTInterface.h"

namespace kalvo5::realtime_test {
namespace {

constexpr int kBlock = 512;
constexpr float kRate = 48000.0f;

// A host callback that itself allocates nothing and takes no lock, so that
// whatever is counted comes from the plug-in. It keeps the latest automation
// value of each parameter.
struct QuietHost {
  static vst2::VstIntPtr Callback(vst2::AEffect*, vst2::VstInt32 opcode, vst2::VstInt32 index,
                                  vst2::VstIntPtr, void* ptr, float opt) {
    switch (opcode) {
      case vst2::audioMasterVersion:
        return vst2::kVstVersion;
      case vst2::audioMasterGetProductString:
        std::strcpy(static_cast<char*>(ptr), "Quiet Host");
        return 1;
      case vst2::audioMasterGetTime:
        return reinterpret_cast<vst2::VstIntPtr>(&time);
      case vst2::audioMasterAutomate:
        if (index >= 0 && index < kNumParams) automated[index].store(opt);
        return 0;
      default:
        return 0;
    }
  }
  static inline vst2::VstTimeInfo time{};
  static inline std::atomic<float> automated[kNumParams]{};
};

vst2::PluginEntryProc Entry() {
  static vst2::PluginEntryProc entry = [] {
    setenv("XDG_DATA_HOME", testsupport::ProgramScratchFolder("kalvo5-realtime").c_str(), 1);
    void* module = dlopen(KALVO5_MODULE, RTLD_NOW | RTLD_LOCAL);
    return module ? reinterpret_cast<vst2::PluginEntryProc>(dlsym(module, "VSTPluginMain")) : nullptr;
  }();
  return entry;
}

class Plugin {
 public:
  Plugin() : effect_(Entry() ? Entry()(&QuietHost::Callback) : nullptr) {
    if (!effect_) return;
    Dispatch(vst2::effOpen);
    Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, kRate);
    Dispatch(vst2::effSetBlockSize, 0, kBlock);
    Dispatch(vst2::effMainsChanged, 0, 1);
    Dispatch(vst2::effStartProcess);
  }
  ~Plugin() {
    if (effect_) Dispatch(vst2::effClose);
  }
  bool Loaded() const { return effect_ != nullptr; }
  vst2::VstIntPtr Dispatch(vst2::VstInt32 opcode, vst2::VstInt32 index = 0, vst2::VstIntPtr value = 0,
                           void* ptr = nullptr, float opt = 0.0f) const {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
  }
  void SetText(int index, const char* text) const {
    char copy[64];
    std::snprintf(copy, sizeof(copy), "%s", text);
    Dispatch(vst2::effString2Parameter, index, 0, copy);
  }
  void Set(int index, float normalized) const { effect_->setParameter(effect_, index, normalized); }
  float Get(int index) const { return effect_->getParameter(effect_, index); }
  void Process(float** in, float** out, int frames) const {
    effect_->processReplacing(effect_, in, out, frames);
  }

 private:
  vst2::AEffect* effect_;
};

// Buffers for the six channels the plug-in announces: a 1 kHz sine at
// amplitude 0.1 on the first two, silence on the others; long enough for the
// longest block the tests pass.
struct Buffers {
  static constexpr int kChannels = 6;
  explicit Buffers(int frames)
      : in(kChannels, std::vector<float>(static_cast<std::size_t>(frames))), out(in) {
    for (int c = 0; c < 2; ++c)
      for (int n = 0; n < frames; ++n)
        in[static_cast<std::size_t>(c)][static_cast<std::size_t>(n)] =
            static_cast<float>(0.1 * std::sin(2.0 * M_PI * 1000.0 * n / double{kRate}));
    for (int c = 0; c < kChannels; ++c) {
      inPtrs[c] = in[static_cast<std::size_t>(c)].data();
      outPtrs[c] = out[static_cast<std::size_t>(c)].data();
    }
  }
  // The pointers moved on by `offset` frames.
  void At(int offset, float** inAt, float** outAt) {
    for (int c = 0; c < kChannels; ++c) {
      inAt[c] = inPtrs[c] + offset;
      outAt[c] = outPtrs[c] + offset;
    }
  }
  std::vector<std::vector<float>> in, out;
  float* inPtrs[kChannels];
  float* outPtrs[kChannels];
};

// A host's thread, started at once and then left waiting until it is given
// its work, which it runs with allocations, frees and locks counted.
class WaitingThread {
 public:
  WaitingThread()
      : thread_([this] {
          while (!go_.load()) std::this_thread::yield();
          if (!work_) return;
          ::realtime::CountOnThisThread(true);
          work_();
          ::realtime::CountOnThisThread(false);
        }) {}
  ~WaitingThread() { Run({}); }
  WaitingThread(const WaitingThread&) = delete;
  WaitingThread& operator=(const WaitingThread&) = delete;
  // Runs `work` on the thread (nothing when empty) and waits for it to end.
  void Run(std::function<void()> work) {
    if (!thread_.joinable()) return;
    work_ = std::move(work);
    go_ = true;
    thread_.join();
  }

 private:
  std::function<void()> work_;
  std::atomic<bool> go_{false};
  std::thread thread_;
};

long MinorFaultsOfThisThread() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return usage.ru_minflt;
}

TEST(AudioThread, NeverAllocatesOrFreesWhileAnotherThreadChangesTheMeasurement) {
  const Plugin plugin;
  ASSERT_TRUE(plugin.Loaded()) << dlerror();
  plugin.SetText(kWriteAutomationData, "On");
  plugin.SetText(kDIALWindow, "50000");
  Buffers buffers(4 * kBlock + 100);

  std::atomic<bool> stop{false};
  std::atomic<long> blocks{0};
  long faults = 0;
  ::realtime::Counts counted;
  std::thread audio([&] {
    // One pass of each type first, so that its code and stack are mapped.
    for (const char* type : {"RMS", "EBU", "DIAL"}) {
      plugin.SetText(kType, type);
      for (int n = 0; n < 40; ++n)
        plugin.Process(buffers.inPtrs, buffers.outPtrs, n % 10 == 0 ? 4 * kBlock + 100 : kBlock);
    }
    ::realtime::TakeCounts();
    const long faultsBefore = MinorFaultsOfThisThread();
    for (long n = 0; !stop.load(); ++n) {
      // Now and then a block four times longer than announced.
      const int frames = n % 20 == 0 ? 4 * kBlock + 100 : kBlock;
      ::realtime::CountOnThisThread(true);
      plugin.Process(buffers.inPtrs, buffers.outPtrs, frames);
      ::realtime::CountOnThisThread(false);
      blocks.fetch_add(1);
    }
    counted = ::realtime::TakeCounts();
    faults = MinorFaultsOfThisThread() - faultsBefore;
  });

  // The host's GUI thread meanwhile: types, windows (the dialogue window
  // doubling its memory and back), reset and Match.
  const char* types[] = {"RMS", "EBU", "DIAL"};
  for (int n = 0; n < 60; ++n) {
    plugin.SetText(kType, types[n % 3]);
    plugin.SetText(kDIALWindow, n % 2 == 0 ? "99999" : "50000");
    plugin.SetText(kRMSWindow, n % 2 == 0 ? "3000" : "600");
    plugin.Set(kReset, 1.0f);
    plugin.Set(kReset, 0.0f);
    plugin.Set(kMatchEBUI + n % 3, 1.0f);
    plugin.Set(kMatchEBUI + n % 3, 0.0f);
    plugin.Dispatch(vst2::effEditIdle);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  stop = true;
  audio.join();

  std::printf("audio thread: %ld blocks, %ld allocations, %ld frees, %ld lock calls, %ld minor page faults\n",
              blocks.load(), counted.allocations, counted.frees, counted.locks, faults);
  EXPECT_GT(blocks.load(), 100);
  EXPECT_EQ(counted.allocations, 0);
  EXPECT_EQ(counted.frees, 0);
  // The measurement crosses to other threads without a lock.
  EXPECT_EQ(counted.locks, 0);
  EXPECT_LE(faults, 4);  // memory is mapped when obtained, off this thread
}

// The first calls a host thread makes allocate nothing: setParameter from
// a host's audio thread as automation playback starts (a setting that
// re-configures the measurement, and a Match that sets a gain and tells the
// editor), and the first process call of a new audio thread. The plug-in's
// thread-local variables live in the static TLS block the C library sets up
// for every thread, not in one it allocates on a thread's first access (the
// dynamic TLS model of a module loaded with dlopen: 48 bytes). The threads
// are started before the module is loaded when this test runs alone, as
// ctest runs it: host threads that predate the plug-in.
TEST(AudioThread, AHostThreadsFirstCallsAllocateNothing) {
  WaitingThread automation, audio;
  const Plugin plugin;
  ASSERT_TRUE(plugin.Loaded()) << dlerror();
  plugin.SetText(kType, "EBU");
  Buffers buffers(kBlock);
  // A second of audio, so that Match finds an integrated loudness.
  for (int n = 0; n < 100; ++n) plugin.Process(buffers.inPtrs, buffers.outPtrs, kBlock);
  const float gainBefore = plugin.Get(kEBUGain);
  ::realtime::TakeCounts();
  automation.Run([&] {
    plugin.Set(kMatchEBUI, 1.0f);
    plugin.Set(kMatchEBUI, 0.0f);
    plugin.Set(kRMSWindow, 0.3f);
  });
  const ::realtime::Counts setting = ::realtime::TakeCounts();
  audio.Run([&] { plugin.Process(buffers.inPtrs, buffers.outPtrs, kBlock); });
  const ::realtime::Counts processing = ::realtime::TakeCounts();
  std::printf("first setParameter calls: %ld allocations, %ld frees; first process call: %ld allocations\n",
              setting.allocations, setting.frees, processing.allocations);
  EXPECT_NE(plugin.Get(kEBUGain), gainBefore);  // Match did set the gain
  EXPECT_EQ(setting.allocations, 0);
  EXPECT_EQ(setting.frees, 0);
  EXPECT_EQ(processing.allocations, 0);
  EXPECT_EQ(processing.frees, 0);
}

// A host automating "Dial S-Window" from its audio thread, up to the longest
// window (38 MB of memory at 48 kHz): every setParameter call is quick and
// allocation-free, and the memory worker brings the memory so that the
// window takes effect within 100 ms of real-time audio.
TEST(AudioThread, DialogueWindowAutomationOnTheAudioThreadNeverAllocatesAndSoonTakesEffect) {
  const Plugin plugin;
  ASSERT_TRUE(plugin.Loaded()) << dlerror();
  plugin.SetText(kWriteAutomationData, "On");
  plugin.SetText(kType, "DIAL");
  Buffers buffers(kBlock);
  const float silentWindow = 0.0f;  // "OUT:DIAL SL" at -144
  std::chrono::steady_clock::duration longestSet{};
  long framesUntilMeasured = -1;
  ::realtime::Counts counted;
  std::thread audio([&] {
    for (int n = 0; n < 40; ++n) plugin.Process(buffers.inPtrs, buffers.outPtrs, kBlock);
    ::realtime::TakeCounts();
    ::realtime::CountOnThisThread(true);
    // A ramp from 10 s to the longest window over 200 blocks.
    for (int n = 0; n <= 200; ++n) {
      const auto start = std::chrono::steady_clock::now();
      plugin.Set(kDIALWindow, 0.1f + 0.9f * static_cast<float>(n) / 200.0f);
      longestSet = std::max(longestSet, std::chrono::steady_clock::now() - start);
      plugin.Process(buffers.inPtrs, buffers.outPtrs, kBlock);
    }
    QuietHost::automated[kOutDIALSL].store(silentWindow);
    // Then audio in real time, until the window has measured one 100 ms hop.
    const auto blockTime = std::chrono::microseconds(1000000 * kBlock / static_cast<int>(kRate));
    auto due = std::chrono::steady_clock::now();
    for (long frames = 0; frames < static_cast<long>(kRate); frames += kBlock) {
      plugin.Process(buffers.inPtrs, buffers.outPtrs, kBlock);
      if (QuietHost::automated[kOutDIALSL].load() > silentWindow) {
        framesUntilMeasured = frames + kBlock;
        break;
      }
      due += blockTime;
      ::realtime::CountOnThisThread(false);
      std::this_thread::sleep_until(due);
      ::realtime::CountOnThisThread(true);
    }
    ::realtime::CountOnThisThread(false);
    counted = ::realtime::TakeCounts();
  });
  audio.join();
  std::printf("audio thread: %ld allocations, longest setParameter %.1f us, window measuring after %.0f ms\n",
              counted.allocations, std::chrono::duration<double, std::micro>(longestSet).count(),
              1000.0 * static_cast<double>(framesUntilMeasured) / double{kRate});
  EXPECT_EQ(counted.allocations, 0);
  EXPECT_EQ(counted.frees, 0);
  EXPECT_LT(longestSet, std::chrono::milliseconds(1));
  // At most 100 ms until the memory came, then the window's first 100 ms hop
  // and the next 50 ms automation write.
  ASSERT_GT(framesUntilMeasured, 0);
  EXPECT_LE(framesUntilMeasured, static_cast<long>(0.25 * double{kRate}) + kBlock);
}

// The host's GUI thread loads states and programs one after the other while
// audio runs: the audio thread never waits for the measurement lock longer
// than it takes another thread to exchange a few pointers.
TEST(AudioThread, LoadingStatesAndProgramsNeverMakesTheAudioThreadWait) {
  const Plugin plugin;
  ASSERT_TRUE(plugin.Loaded()) << dlerror();
  // States that differ in everything a load reconfigures.
  std::vector<std::vector<char>> states;
  const char* settings[][3] = {{"DIAL", "99999", "10000"}, {"EBU", "10000", "3000"}, {"RMS", "50000", "600"}};
  for (const auto& s : settings) {
    plugin.SetText(kType, s[0]);
    plugin.SetText(kDIALWindow, s[1]);
    plugin.SetText(kRMSWindow, s[2]);
    void* data = nullptr;
    const auto size = plugin.Dispatch(vst2::effGetChunk, 1, 0, &data);
    ASSERT_GT(size, 0);
    states.emplace_back(static_cast<char*>(data), static_cast<char*>(data) + size);
  }
  Buffers buffers(kBlock);
  std::atomic<bool> stop{false};
  std::atomic<long> blocks{0};
  ::realtime::Counts counted;
  std::chrono::steady_clock::duration longest{};
  std::thread audio([&] {
    for (int n = 0; n < 40; ++n) plugin.Process(buffers.inPtrs, buffers.outPtrs, kBlock);
    ::realtime::TakeCounts();
    while (!stop.load()) {
      const auto start = std::chrono::steady_clock::now();
      ::realtime::CountOnThisThread(true);
      plugin.Process(buffers.inPtrs, buffers.outPtrs, kBlock);
      ::realtime::CountOnThisThread(false);
      longest = std::max(longest, std::chrono::steady_clock::now() - start);
      blocks.fetch_add(1);
    }
    counted = ::realtime::TakeCounts();
  });
  for (int n = 0; n < 60; ++n) {
    std::vector<char>& state = states[static_cast<std::size_t>(n) % states.size()];
    plugin.Dispatch(vst2::effSetChunk, n % 2, static_cast<vst2::VstIntPtr>(state.size()), state.data());
    plugin.Dispatch(vst2::effSetProgram, 0, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  stop = true;
  audio.join();
  std::printf("audio thread: %ld blocks, %ld allocations, longest lock wait %.1f us, longest block %.1f us\n",
              blocks.load(), counted.allocations, 1e-3 * static_cast<double>(counted.longestLockNs),
              std::chrono::duration<double, std::micro>(longest).count());
  EXPECT_GT(blocks.load(), 100);
  EXPECT_EQ(counted.allocations, 0);
  EXPECT_LT(counted.longestLockNs, 50000);
}

// What one instance holds at 48 kHz with the default settings (RMS, a 600 ms
// window): the rings of the analyzers the current type does not use, and of
// windows longer than the settings ask for, are obtained only when needed.
TEST(AudioThread, AnInstanceWithDefaultSettingsHoldsAtMostEightMegabytes) {
  const Plugin warmUp;  // process-wide caches and the memory worker
  ASSERT_TRUE(warmUp.Loaded()) << dlerror();
  const auto used = [] {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
  };
  constexpr int kInstances = 4;
  const double before = used();
  std::vector<std::unique_ptr<Plugin>> plugins;
  for (int n = 0; n < kInstances; ++n) plugins.push_back(std::make_unique<Plugin>());
  const double perInstance = (used() - before) / kInstances;
  std::printf("one instance: %.2f MB\n", perInstance / 1e6);
  EXPECT_LE(perInstance, 8e6);
}

// The integrated loudness of a programme goes on through a block longer than
// announced: the same audio split into announced blocks reads the same.
TEST(AudioThread, AnOverLongBlockKeepsTheMeasurement) {
  const auto finalIntegrated = [](bool overLong) {
    const Plugin plugin;
    plugin.SetText(kType, "EBU");
    plugin.SetText(kWriteAutomationData, "On");
    Buffers buffers(8 * kBlock);
    for (int n = 0; n < 300; ++n) plugin.Process(buffers.inPtrs, buffers.outPtrs, kBlock);
    if (overLong) {
      plugin.Process(buffers.inPtrs, buffers.outPtrs, 8 * kBlock);
    } else {
      for (int n = 0; n < 8; ++n) {
        float* in[Buffers::kChannels];
        float* out[Buffers::kChannels];
        buffers.At(n * kBlock, in, out);
        plugin.Process(in, out, kBlock);
      }
    }
    plugin.Dispatch(vst2::effStopProcess);  // sends the final readings
    return QuietHost::automated[kOutEBUIL].load();
  };
  const float whole = finalIntegrated(true);
  const float split = finalIntegrated(false);
  EXPECT_EQ(whole, split);
  EXPECT_GT(whole, 0.5f);  // a measurement (about -20 LUFS), not the empty reading
}

}  // namespace
}  // namespace kalvo5::realtime_test
