// What one Kalvo5.so instance holds at 48 kHz stereo with each analyzer
// type, chosen after the other types: memory a type no longer needs is let
// go once the audio thread has taken what the new one needs.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "plugin/Kalvo5Params.h"
#include "support/ScratchFolder.h"
#include "vst2/VSTInterface.h"

namespace kalvo5::realtime_test {
namespace {

constexpr int kBlock = 512;
constexpr int kChannels = 6;

vst2::VstIntPtr QuietCallback(vst2::AEffect*, vst2::VstInt32 opcode, vst2::VstInt32, vst2::VstIntPtr,
                              void* ptr, float) {
  static vst2::VstTimeInfo time{};
  if (opcode == vst2::audioMasterVersion) return vst2::kVstVersion;
  if (opcode == vst2::audioMasterGetTime) return reinterpret_cast<vst2::VstIntPtr>(&time);
  if (opcode == vst2::audioMasterGetProductString) std::strcpy(static_cast<char*>(ptr), "Quiet Host");
  return 0;
}

class Instance {
 public:
  Instance() {
    static const vst2::PluginEntryProc entry = [] {
      setenv("XDG_DATA_HOME", testsupport::ProgramScratchFolder("kalvo5-realtime").c_str(), 1);
      void* module = dlopen(KALVO5_MODULE, RTLD_NOW | RTLD_LOCAL);
      return module ? reinterpret_cast<vst2::PluginEntryProc>(dlsym(module, "VSTPluginMain")) : nullptr;
    }();
    effect_ = entry ? entry(&QuietCallback) : nullptr;
    if (!effect_) return;
    Dispatch(vst2::effOpen);
    Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, 48000.0f);
    Dispatch(vst2::effSetBlockSize, 0, kBlock);
    Dispatch(vst2::effMainsChanged, 0, 1);
  }
  ~Instance() {
    if (effect_) Dispatch(vst2::effClose);
  }
  bool Loaded() const { return effect_ != nullptr; }

  // Chooses the type as a host does, then runs a block: the audio thread
  // takes the memory obtained at the resume and lets go of the old, which
  // the next resume frees.
  void Choose(const char* type) {
    char text[16];
    std::snprintf(text, sizeof(text), "%s", type);
    Dispatch(vst2::effString2Parameter, kType, 0, text);
    Resume();
    static std::vector<float> silence(kChannels * kBlock);
    float* channels[kChannels];
    for (int c = 0; c < kChannels; ++c) channels[c] = silence.data() + c * kBlock;
    effect_->processReplacing(effect_, channels, channels, kBlock);
    Resume();
  }

 private:
  void Resume() {
    Dispatch(vst2::effMainsChanged, 0, 0);
    Dispatch(vst2::effMainsChanged, 0, 1);
  }
  void Dispatch(vst2::VstInt32 opcode, vst2::VstInt32 index = 0, vst2::VstIntPtr value = 0,
                void* ptr = nullptr, float opt = 0.0f) {
    effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
  }
  vst2::AEffect* effect_ = nullptr;
};

TEST(InstanceMemory, EveryTypeHoldsAtMostEightMegabytesAfterTheOthers) {
  const Instance warmUp;  // process-wide caches and the memory worker
  ASSERT_TRUE(warmUp.Loaded()) << dlerror();
  const auto used = [] {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
  };
  const char* const types[] = {"RMS", "EBU", "DIAL"};
  constexpr int kInstances = 4;
  for (int last = 0; last < 3; ++last) {
    const double before = used();
    std::vector<std::unique_ptr<Instance>> instances;
    for (int n = 0; n < kInstances; ++n) {
      instances.push_back(std::make_unique<Instance>());
      for (int k = 1; k <= 3; ++k) instances.back()->Choose(types[(last + k) % 3]);
    }
    // The memory worker may still be freeing what an audio thread let go.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const double perInstance = (used() - before) / kInstances;
    std::printf("one instance with %s: %.2f MB\n", types[last], perInstance / 1e6);
    EXPECT_LE(perInstance, 8e6) << types[last];
  }
}

}  // namespace
}  // namespace kalvo5::realtime_test
