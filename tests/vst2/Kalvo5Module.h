// The built Kalvo5.so, loaded as hosts load it, and instances of it driven
// through their effect record with a recording host.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/VST2RecordingHost.h"
#include "vst2/VSTInterface.h"

namespace kalvo5::vst2test {

using ::vst2test::RecordingHost;

// The module's two exported entry points; the module stays loaded for the
// test program's life. The first call points the plug-in's data folder at
// a private temporary folder.
struct Kalvo5Module {
  vst2::PluginEntryProc pluginMain = nullptr;  // "VSTPluginMain"
  vst2::PluginEntryProc main = nullptr;        // "main"
};
const Kalvo5Module& LoadKalvo5();

// Where the module file is. Like LoadKalvo5, it first points the plug-in's
// data folder at the private temporary folder (also for the programs this
// test program starts).
const char* Kalvo5Path();

// One instance: created through an entry point with its host attached,
// closed through the dispatcher.
class Kalvo5Instance {
 public:
  explicit Kalvo5Instance(RecordingHost& host, vst2::PluginEntryProc entry = nullptr);
  ~Kalvo5Instance() { Close(); }
  Kalvo5Instance(const Kalvo5Instance&) = delete;
  Kalvo5Instance& operator=(const Kalvo5Instance&) = delete;

  vst2::VstIntPtr Dispatch(vst2::VstInt32 opcode, vst2::VstInt32 index = 0, vst2::VstIntPtr value = 0,
                           void* ptr = nullptr, float opt = 0.0f) const {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
  }
  std::string Text(vst2::VstInt32 opcode, vst2::VstInt32 index = 0) const;
  float Get(int index) const { return effect->getParameter(effect, index); }
  void Set(int index, float normalized) const { effect->setParameter(effect, index, normalized); }
  // The parameter's display as the host reads it.
  std::string Display(int index) const { return Text(vst2::effGetParamDisplay, index); }
  // Sets a parameter to the value that displays as `text`.
  void SetText(int index, const std::string& text) const;

  // The state chunk (program, or bank) as bytes; empty when none.
  std::vector<std::uint8_t> Chunk(bool bank) const;
  vst2::VstIntPtr Restore(bool bank, std::vector<std::uint8_t> bytes) const;

  // The usual start: open, sample rate, block size, processing on.
  void Start(float sampleRate, int blockSize) const;
  // Runs frames of interleaved-free channel data through processReplacing
  // or processDoubleReplacing in blocks of `blockSize`.
  void Process(const std::vector<std::vector<float>>& input, int blockSize) const;
  void Process(const std::vector<std::vector<double>>& input, int blockSize) const;

  // The final values the plug-in writes as automation for the outputs
  // first ... last when processing stops (effStopProcess), read back as
  // normalized values. Needs "WriteAutomationData" on.
  std::vector<float> FinalOutputs(int first, int last) const;

  // Closes the instance; every host callback it made must have come from
  // inside a call into it.
  void Close();

  vst2::AEffect* effect = nullptr;
  RecordingHost* host = nullptr;
};

// Stereo noise, reproducible from the seed, uniformly in [-amplitude, amplitude].
std::vector<std::vector<double>> Noise(int channels, int frames, double amplitude, unsigned seed);
std::vector<std::vector<float>> ToFloat(const std::vector<std::vector<double>>& input);

}  // namespace kalvo5::vst2test
