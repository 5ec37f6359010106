#include "Kalvo5Module.h"

#include <dlfcn.h>
#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "support/ScratchFolder.h"

namespace kalvo5::vst2test {

namespace {

// Once per test program, before any instance exists: no user's presets or
// settings reach the tests, and the tests leave nothing in the user's folders.
// The folder is removed when the program ends.
void UsePrivateDataFolder() {
  static const bool set = [] {
    const std::string& folder = testsupport::ProgramScratchFolder("kalvo5-vst2-tests");
    if (!folder.empty()) setenv("XDG_DATA_HOME", folder.c_str(), 1);
    return true;
  }();
  (void)set;
}

template <typename Sample>
void ProcessBlocks(vst2::AEffect* effect, const std::vector<std::vector<Sample>>& input, int blockSize) {
  const int channels = static_cast<int>(input.size());
  const int frames = channels > 0 ? static_cast<int>(input[0].size()) : 0;
  // Six inputs and six outputs, as the record announces; channels beyond
  // the input get silence.
  std::vector<std::vector<Sample>> in(6, std::vector<Sample>(static_cast<std::size_t>(blockSize)));
  std::vector<std::vector<Sample>> out(6, std::vector<Sample>(static_cast<std::size_t>(blockSize)));
  std::vector<Sample*> inPtrs, outPtrs;
  for (auto& b : in) inPtrs.push_back(b.data());
  for (auto& b : out) outPtrs.push_back(b.data());
  for (int start = 0; start < frames; start += blockSize) {
    const int n = std::min(blockSize, frames - start);
    for (int c = 0; c < channels && c < 6; ++c)
      std::copy_n(input[c].begin() + start, n, in[static_cast<std::size_t>(c)].begin());
    if constexpr (std::is_same_v<Sample, float>) {
      effect->processReplacing(effect, inPtrs.data(), outPtrs.data(), n);
    } else {
      effect->processDoubleReplacing(effect, inPtrs.data(), outPtrs.data(), n);
    }
  }
}

}  // namespace

const char* Kalvo5Path() {
  UsePrivateDataFolder();
  return KALVO5_MODULE;
}

const Kalvo5Module& LoadKalvo5() {
  static const Kalvo5Module module = [] {
    UsePrivateDataFolder();
    Kalvo5Module loaded;
    void* handle = dlopen(KALVO5_MODULE, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
      ADD_FAILURE() << "cannot load " << KALVO5_MODULE << ": " << dlerror();
      return loaded;
    }
    loaded.pluginMain = reinterpret_cast<vst2::PluginEntryProc>(dlsym(handle, "VSTPluginMain"));
    loaded.main = reinterpret_cast<vst2::PluginEntryProc>(dlsym(handle, "main"));
    return loaded;
  }();
  return module;
}

Kalvo5Instance::Kalvo5Instance(RecordingHost& recordingHost, vst2::PluginEntryProc entry)
    : host(&recordingHost) {
  if (!entry) entry = LoadKalvo5().pluginMain;
  if (entry) effect = host->Attach(entry);
  if (!effect) ADD_FAILURE() << "the entry point gave no effect";
}

void Kalvo5Instance::Close() {
  if (!effect) return;
  Dispatch(vst2::effClose);
  effect = nullptr;
  EXPECT_EQ(host->callsOutsidePluginCalls.load(), 0)
      << "the plug-in called the host from a thread of its own";
}

std::string Kalvo5Instance::Text(vst2::VstInt32 opcode, vst2::VstInt32 index) const {
  char buffer[512] = {};
  Dispatch(opcode, index, 0, buffer);
  return buffer;
}

void Kalvo5Instance::SetText(int index, const std::string& text) const {
  std::string copy = text;
  Dispatch(vst2::effString2Parameter, index, 0, copy.data());
}

std::vector<std::uint8_t> Kalvo5Instance::Chunk(bool bank) const {
  void* data = nullptr;
  const vst2::VstIntPtr size = Dispatch(vst2::effGetChunk, bank ? 0 : 1, 0, &data);
  if (size <= 0 || !data) return {};
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  return {bytes, bytes + size};
}

vst2::VstIntPtr Kalvo5Instance::Restore(bool bank, std::vector<std::uint8_t> bytes) const {
  return Dispatch(vst2::effSetChunk, bank ? 0 : 1, static_cast<vst2::VstIntPtr>(bytes.size()), bytes.data());
}

void Kalvo5Instance::Start(float sampleRate, int blockSize) const {
  Dispatch(vst2::effOpen);
  Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, sampleRate);
  Dispatch(vst2::effSetBlockSize, 0, blockSize);
  Dispatch(vst2::effMainsChanged, 0, 1);
}

void Kalvo5Instance::Process(const std::vector<std::vector<float>>& input, int blockSize) const {
  ProcessBlocks(effect, input, blockSize);
}

void Kalvo5Instance::Process(const std::vector<std::vector<double>>& input, int blockSize) const {
  ProcessBlocks(effect, input, blockSize);
}

std::vector<float> Kalvo5Instance::FinalOutputs(int first, int last) const {
  const auto writesOfLast = [&] {
    int n = 0;
    for (const auto& call : host->CallsOf(vst2::audioMasterAutomate)) n += call.index == last ? 1 : 0;
    return n;
  };
  const int before = writesOfLast();
  Dispatch(vst2::effStopProcess);
  EXPECT_EQ(writesOfLast(), before + 1) << "the plug-in wrote no final values";
  std::vector<float> values;
  for (int i = first; i <= last; ++i) values.push_back(Get(i));
  return values;
}

std::vector<std::vector<double>> Noise(int channels, int frames, double amplitude, unsigned seed) {
  std::vector<std::vector<double>> result(static_cast<std::size_t>(channels));
  unsigned state = seed;
  for (auto& channel : result) {
    channel.resize(static_cast<std::size_t>(frames));
    for (double& sample : channel) {
      state = state * 1664525u + 1013904223u;
      sample = amplitude * (static_cast<double>(state >> 8) / 8388608.0 - 1.0);
    }
  }
  return result;
}

std::vector<std::vector<float>> ToFloat(const std::vector<std::vector<double>>& input) {
  std::vector<std::vector<float>> result;
  for (const auto& channel : input) {
    result.emplace_back();
    for (double sample : channel) result.back().push_back(static_cast<float>(sample));
  }
  return result;
}

}  // namespace kalvo5::vst2test
