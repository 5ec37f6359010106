// One instance of a loaded plug-in, driven as a host drives it: created
// through the entry point, opened, configured, processing switched on and
// off, closed.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/HostContext.h"
#include "tools/PluginLibrary.h"
#include "vst2/VSTInterface.h"

namespace kalvo5::meter {

struct SampleRateRange {
  double lowest = 0.0, highest = 0.0;  // Hz, inclusive
};

class PluginInstance {
 public:
  // Creates and opens an instance (effOpen). Null with a message in error
  // when the entry point answers nothing or the record is not a VST 2 effect.
  static std::unique_ptr<PluginInstance> Create(const PluginLibrary& library, std::string& error);

  ~PluginInstance();  // stops processing if on, then effClose
  PluginInstance(const PluginInstance&) = delete;
  PluginInstance& operator=(const PluginInstance&) = delete;

  vst2::AEffect* Effect() const { return effect_; }
  HostContext& Host() { return *host_; }
  const HostContext& Host() const { return *host_; }
  vst2::VstIntPtr Dispatch(vst2::VstInt32 opcode, vst2::VstInt32 index = 0, vst2::VstIntPtr value = 0,
                           void* ptr = nullptr, float opt = 0.0f) const;

  int ParameterCount() const { return effect_->numParams; }
  int InputCount() const { return effect_->numInputs; }
  int OutputCount() const { return effect_->numOutputs; }
  bool CanDoubleReplacing() const;
  bool CanReplacing() const;
  bool HasProgramChunks() const;

  // Texts the plug-in reports; empty when it reports none.
  std::string EffectName() const;
  std::string VendorName() const;
  std::string ProductName() const;
  std::string ParameterName(int index) const;
  std::string ParameterDisplay(int index) const;
  std::string ParameterLabel(int index) const;
  // The display of a normalized value without changing the parameter, for
  // plug-ins that answer the Cockos extension; else the current display.
  std::string DisplayOfValue(int index, float normalized) const;
  // The same, only from the extension; empty when the plug-in does not answer.
  std::optional<std::string> DisplayOfValueIfAnswered(int index, float normalized) const;

  // Programs (the plug-in's presets): their count, names, and switching.
  int ProgramCount() const { return effect_->numPrograms; }
  std::string ProgramName(int index) const;  // empty when the plug-in names none
  // effSetProgram between effBeginSetProgram and effEndSetProgram; true
  // when the plug-in then reports that program as current.
  bool SelectProgram(int index) const;

  // Index of the parameter with this name: exact match first, then ignoring
  // letter case; -1 when there is none.
  int FindParameter(const std::string& name) const;

  float GetParameter(int index) const;
  void SetParameter(int index, float normalized) const;
  // Asks the plug-in to draw its editor at `scale` into a PNG file (a vendor
  // call of Kalvo5's); false when it did not.
  bool WriteEditorSnapshot(const std::string& path, double scale);
  // What a plug-in may say of itself through the vendor calls it answers:
  // the sample rates it measures correctly (none: it sets no limit), and why
  // the reading an output parameter carries is no measurement although its
  // display shows a number (empty: it is one, or the plug-in does not say).
  std::optional<SampleRateRange> MeasuredSampleRates() const;
  std::string NoMeasurementReason(int index) const;
  // Sets a parameter from a text (effString2Parameter). False when the
  // plug-in does not answer; an answer does not prove the text was taken,
  // so read the display back.
  bool SetParameterText(int index, const std::string& text) const;

  // Setup before processing: sample rate, maximum block size and precision.
  void Configure(double sampleRate, int maxBlockSize, bool doublePrecision);
  // effMainsChanged(1) and effStartProcess / effStopProcess and
  // effMainsChanged(0).
  void Resume();
  void Suspend();

  // One process call (processDoubleReplacing or processReplacing).
  void Process(double** inputs, double** outputs, int frames);
  void Process(float** inputs, float** outputs, int frames);

 private:
  PluginInstance() = default;
  std::string DispatchText(vst2::VstInt32 opcode, int index) const;

  std::unique_ptr<HostContext> host_;
  vst2::AEffect* effect_ = nullptr;
  bool resumed_ = false;
};

}  // namespace kalvo5::meter
