// The plug-in object: ties the framework to the measurement engine. It keeps
// the settings mirror the engine reads, drives the measurement from the
// host's audio blocks, reacts to every parameter change and editor command,
// and writes the measured values back to the host as automation.
#pragma once

#include <atomic>
#include <optional>

#include "BlockPacing.h"
#include "DataFolders.h"
#include "EditorCommand.h"
#include "EditorSnapshot.h"
#include "IXMLParameters.h"
#include "IXMLPreset.h"
#include "IdleRequests.h"
#include "Kalvo5Params.h"
#include "MeasurementExchange.h"
#include "MemoryWorker.h"
#include "OutputAutomation.h"
#include "ParameterTable.h"
#include "PluginMixins.h"
#include "PresetStore.h"
#include "SettingsMirror.h"
#include "UpdateCheckFlow.h"
#include "framework/iplug/IPlug.h"

namespace kalvo5 {

// The plug-in's configuration as the framework sees it.
iplug::PluginConfig Kalvo5Config();

// Knows no plug-in format: a format binding joins it (see IPlug.h).
class alignas(iplug::IPlug) Kalvo5 : public virtual iplug::IPlug {
 public:
  static constexpr int kFrameRate = 60;  // editor frames per second
  // The editor's size in units at scale 1; it scales from a third to three
  // times that.
  static constexpr int kEditorWidth = 616;
  static constexpr int kEditorHeight = 352;

  Kalvo5();
  ~Kalvo5() override;

  // Framework hooks.
  void OnParamChange(int index, iplug::ParamSource source, int sampleOffset) override;
  void OnIdle() override;
  void OnEditorOpened() override;
  void OnEditorClosed() override;
  void ProcessAudioBlock(double** inputs, double** outputs, int nFrames) override;
  iplug::ChannelSpan ChannelsOfNextBlock() override;
  bool WritesUsedOutputs() const override;
  bool ProcessesInPlace() const override { return true; }
  void OnBlockEnd() override;
  void OnProcessingStopped() override;
  void ResetProcessing() override;
  void SetActive(bool active) override;
  // The state: the XML settings document behind its state header.
  bool WriteState(iplug::ByteChunk& chunk) override;
  bool MeasuredSampleRates(double& lowest, double& highest) const override;
  std::string NoMeasurementReason(int paramIndex) const override;
  int ReadState(const iplug::ByteChunk& chunk, int startPos) override;
  std::unique_ptr<ParsedState> ParseState(const iplug::ByteChunk& chunk, int startPos) const override;
  int ApplyState(const iplug::ByteChunk& chunk, int startPos, ParsedState* parsed) override;
  // The measured values: a recall never tells the host about them.
  bool IsOutputParam(int index) const override;
  // Every output parameter of the current type at the latest readings.
  void TakeLatestOutputs() override;
  // The three channel configurations of a bus of `channels` channels.
  void SetChannelLayout(int channels) override;
  bool FollowsChannelLayout(int index) const override;
  // The settings document of the state chunk, without its frame.
  bool WriteStateDocument(std::string& document) override;
  bool ReadStateDocument(std::string_view document) override;
  // An editor apart from the processor: the readings of each 50 ms period
  // go to it, and its own copy of the plug-in shows them.
  std::size_t TakeEditorSnapshot(std::span<std::byte> out) override;
  void ShowEditorSnapshot(std::span<const std::byte> snapshot) override;

  // Asks the audio thread for a reset and a re-configuration from the
  // settings at its next block, and the memory worker for the memory they
  // need. Any thread; allocation-free.
  void RequestMeasurementChange();
  // Obtains that memory now, on this thread: where a host thread may
  // allocate and the measurement should be complete before audio starts
  // (activation, a loaded state). Not on the audio thread.
  void PrepareMeasurement();

  // A request of the editor's controls (About, update check, preset files,
  // editor scale) with what it carries. The host's GUI thread.
  void Execute(const EditorCommand& command);

  // The plug-in's own way to change a parameter: store, tell the host and
  // the editor, react. Nothing happens when the value is the current one.
  void SetParamFromPlugin(int index, double value);
  // Sends measured values to the host as automation of the output
  // parameters: on the audio thread at the end of a process call that
  // completed a 50 ms period, and on the host's thread once more when
  // processing stops. No lock is held and nothing is allocated.
  void WriteOutputParams(const OutputValues& values);
  void WriteOutputParam(int index, double value);

  // The readings of one analyzer type as the audio thread published them
  // at the end of its latest block (those of a reset measurement while a
  // requested reset is still to come, and for a type not measured). Any
  // thread; never waits.
  MeasurementReadings ReadMeasurement(int type) const { return mMeasurement.ReadLatest(type); }
  // What the editor shows and Match measures: the readings of the latest
  // 50 ms period, the same the host got as automation; once processing has
  // stopped, the final readings. Any thread; never waits.
  MeasurementReadings DisplayedReadings(int type) const;

  const SettingsMirror& Settings() const { return mSettings; }

  // The data folder and the preset folder inside it; empty when there is
  // none (no presets, no manual).
  const std::string& DataFolder() const { return mPaths.DataFolder(); }
  const std::string& PresetFolder() const { return mPaths.PresetFolder(); }
  // Preset files and the settings document of state chunks and slots.
  const IXMLPreset& PresetFiles() const { return mPresetFiles; }
  const IXMLParameters& StateDocument() const { return mStateDocument; }
  // A message box for the next idle tick with the editor open.
  void RequestMessageBox(const std::string& text, const std::string& caption) {
    mPendingMessage.RequestMessageBox(text, caption);
  }

  // Work for the next idle tick on the host's GUI thread (any thread may ask).
  void Request(IdleRequest request) { mIdleRequests.Raise(request); }
  bool TakeRequest(IdleRequest request) { return mIdleRequests.Take(request); }
  // Whether the editor is open and shows controls.
  bool EditorShown() const { return mEditorOpen.load(std::memory_order_acquire); }
  // Whether a 50 ms period ended in the current process call, so that its
  // readings go to the host at the call's end (audio thread).
  bool PeriodEnded() const { return mPeriodDue; }

  // Factory, user and Init presets; the preset menu reads and applies them.
  PresetStore& Presets() { return mPresetStore; }
  // The update checks run from the idle tick.
  const UpdateCheckFlow& UpdateChecks() const { return mUpdateChecks; }

 protected:
  // Shows a message box with an OK button in the editor; nothing without one.
  virtual void ShowMessageBox(const std::string& /*text*/, const std::string& /*caption*/) {}
  // Builds the About text from the current processing context and shows it.
  void ShowAboutInfo();

 private:
  void ApplyParamChange(bool redrawScales);
  void UpdateAnalyzerView() { Request(IdleRequest::AnalyzerView); }
  void Match(int trigger);
  // What every change ends with: the latency check and a refresh of the
  // editor's meters and read-outs.
  void AfterChange();
  void SetEditorScale(double scale, bool resizeWindow);
  void ReportLatencyIfChanged(bool afterParamChange);
  // kCmdExportPresetText … kCmdRescanPresets.
  void RunPresetCommand(const EditorCommand& command);
  // The About box, the update checks and a pending message box: idle steps
  // with the editor open.
  void RunIdleDialogs();

  // What the memory worker does for this instance.
  class Upkeep : public MemoryWorker::Client {
   public:
    explicit Upkeep(Kalvo5& plugin) : mPlugin(plugin) {}

   private:
    void DoBackgroundWork() override { mPlugin.PrepareMeasurement(); }
    Kalvo5& mPlugin;
  };

  SettingsMirror mSettings;
  IMPlugPaths mPaths;
  IXMLPreset mPresetFiles;
  IXMLParameters mStateDocument;
  ICMessageBox mPendingMessage;
  IExtPDCHandler mReportedLatency;
  IdleRequests mIdleRequests;
  std::atomic<bool> mEditorOpen{false};
  // The readings shown are the final ones, from when processing stopped
  // until it runs again.
  std::atomic<bool> mShowFinalReadings{false};
  PresetStore mPresetStore;
  UpdateCheckFlow mUpdateChecks;
  MeasurementExchange mMeasurement;
  Upkeep mUpkeep{*this};
  // In an editor's own copy of the plug-in: the latest snapshot the
  // processor sent, which it shows instead of its own (idle) measurement.
  // GUI thread.
  EditorSnapshot mRemoteSnapshot;
  bool mShowsRemoteSnapshot = false;

  // Stream facts the analyzers were built for (the thread that sets the
  // rate and block size).
  double mSampleRate = 0.0;
  int mBlockSize = 0;
  std::atomic<int> mLatency{0};  // always 0: the measurement adds no delay

  // Audio thread only: the pacing of what follows the audio, whether a
  // period ended in the current process call and the output values due at
  // its end, and the settings of the next block, taken when the framework
  // asked which channels it uses.
  BlockPacing mPacing;
  std::uint32_t mPacedGeneration = 0;
  bool mPacingStarted = false;
  bool mPeriodDue = false;
  OutputValues mDueOutputs;
  std::optional<BlockSettings> mNextBlock;
  // Audio arrived since processing last stopped: the final values are due
  // at the next stop.
  std::atomic<bool> mProcessedSinceStop{false};
};

}  // namespace kalvo5
