#include "Kalvo5.h"

#include <memory>
#include <utility>

#include "FactoryPresets.h"
#include "ManualInstall.h"
#include "version/Version.h"

namespace kalvo5 {

iplug::PluginConfig Kalvo5Config() {
  iplug::PluginConfig config;
  config.nParams = kNumParams;
  config.nPresets = 1;
  config.channelIO = "1-1 2-2 4-4 5-5 6-6";
  config.pluginName = "Kalvo5";
  config.productName = "Kalvo5";
  config.vendorName = "Vantorel";
  config.vendorVersion = iplug::MakeVersion(kVersionMajor, kVersionMinor, kVersionPatch);
  config.uniqueId = iplug::MakeFourCC('V', 't', '5', '1');
  config.latency = 0;
  config.stateChunks = true;
  config.pluginType = 0;
  config.hasEditor = true;
  config.editorWidth = Kalvo5::kEditorWidth;
  config.editorHeight = Kalvo5::kEditorHeight;
  config.minWidth = Kalvo5::kEditorWidth / 3;
  config.maxWidth = Kalvo5::kEditorWidth * 3;
  config.minHeight = Kalvo5::kEditorHeight / 3;
  config.maxHeight = Kalvo5::kEditorHeight * 3;
  return config;
}

// The shared base is constructed by the most derived class; the initializer
// here serves a Kalvo5 built on its own (tests, tools).
Kalvo5::Kalvo5() : iplug::IPlug(Kalvo5Config()), mMeasurement(GetSampleRate(), mSettings.Setup()) {
  mPaths.InitPaths(GetProductName());
  InstallManual(DataFolder());
  mPresetFiles.SetNamedParamTable(NamedParamTable);
  mStateDocument.SetMenuRecallFilter(&mPresetStore.mMenuRecall, NamedParamTable);

  mSampleRate = GetSampleRate();
  mBlockSize = GetBlockSize();

  // Every parameter starts at its mirror field, so both begin equal.
  double defaults[kNumParams];
  mSettings.CopyTo(defaults);
  DefineParameters(*this, defaults);
  MakeFactoryPresets(*this, mStateDocument, mPresetStore);

  // The default preset file, when there is one, replaces the defaults.
  if (!PresetFolder().empty()) {
    std::string defaultName;
    mPresetFiles.LoadPresetXML(*this, JoinPath(PresetFolder(), "default.vrs"), defaultName,
                               PresetLoadMode::Direct);
  }
  mSettings.Set(kGUIScale, GetParam(kGUIScale)->GetValue());
  PrepareMeasurement();

  MemoryWorker::Register(&mUpkeep);
  EnableTimerTicks();
}

Kalvo5::~Kalvo5() {
  // No tick and no background work may reach a plug-in that is being taken
  // apart.
  StopTimer();
  MemoryWorker::Unregister(&mUpkeep);
}

void Kalvo5::RequestMeasurementChange() {
  mMeasurement.RequestApply();
  mUpkeep.WorkWanted();
}

void Kalvo5::PrepareMeasurement() {
  mMeasurement.Prepare(mSettings.Setup());
  mMeasurement.FreeRetired();
}

void Kalvo5::ProcessAudioBlock(double** inputs, double** outputs, int nFrames) {
  if (GetHost() == iplug::kHostProTools && GetLatency() != mLatency.load()) ChangeLatency(mLatency.load());
  MeasurementDriver& driver = mMeasurement.BeginBlock([this] { return mSettings.Setup(); });
  const BlockSettings settings = mNextBlock ? *mNextBlock : mSettings.ForBlock();
  mNextBlock.reset();
  if (!driver.Process(inputs, NChannelsConnected(iplug::kInput), outputs, NChannelsConnected(iplug::kOutput),
                      nFrames, settings, GetTimeInfo().transportIsRunning)) {
    KeepHostOutputs();
    return;
  }
  // Pacing starts with every new driver, as the measurement does.
  if (mPacedGeneration != mMeasurement.DriverGeneration() || !mPacingStarted) {
    mPacedGeneration = mMeasurement.DriverGeneration();
    mPacingStarted = true;
    mPacing.Restart(driver.SampleRate());
  }
  const BlockPacing::Due due = mPacing.Advance(nFrames, EditorShown());
  if (due.meters) Request(IdleRequest::MeterRefresh);
  if (due.readouts) Request(IdleRequest::ReadoutRefresh);
  if (due.period) mPeriodDue = true;
  mProcessedSinceStop.store(true);
  mShowFinalReadings.store(false, std::memory_order_relaxed);
  const MeasurementReadings& readings = mMeasurement.Publish(settings.type);
  // Once a period has ended, every slice of the process call publishes its
  // readings as the period's and refreshes the output values, so that the
  // editor shows, and the host gets, those of the call's end.
  if (mPeriodDue) {
    mMeasurement.PublishPaced();
    mDueOutputs = OutputValuesFor(settings.type, readings);
  }
  // What the audio thread let go of (a replaced driver or rings) is freed
  // by the memory worker.
  if (mMeasurement.HasRetired()) mUpkeep.WorkWanted();
}

MeasurementReadings Kalvo5::DisplayedReadings(int type) const {
  if (mShowsRemoteSnapshot)
    return mRemoteSnapshot.type == type ? mRemoteSnapshot.readings : MeasurementReadings{};
  return mShowFinalReadings.load(std::memory_order_relaxed) ? mMeasurement.ReadLatest(type)
                                                            : mMeasurement.ReadPaced(type);
}

iplug::ChannelSpan Kalvo5::ChannelsOfNextBlock() {
  // The block then runs with these very settings, so the channels it
  // touches are the ones bound for it.
  mNextBlock = mSettings.ForBlock();
  const ChannelRange used = ProcessedChannels(*mNextBlock);
  return {used.first, used.count};
}

bool Kalvo5::WritesUsedOutputs() const {
  // The driver writes outputs 0 ... n - 1 of the n connected ones (or, when
  // it processes nothing, none): every connected one of the block's
  // channels, as long as the connected outputs come first.
  const int connected = NChannelsConnected(iplug::kOutput);
  for (int i = 0; i < connected; ++i)
    if (!IsChannelConnected(iplug::kOutput, i)) return false;
  return true;
}

void Kalvo5::ResetProcessing() {
  // A new rate or block size re-creates the analyzers: the new driver is
  // built here and put in place by the audio thread at its next block; the
  // old one is freed later, off the audio thread. The audio thread itself
  // (offline rendering switched on or off) changes neither.
  if (InProcessCallOnThisThread()) return;
  const bool changed = GetSampleRate() != mSampleRate || GetBlockSize() != mBlockSize;
  if (changed) {
    mSampleRate = GetSampleRate();
    mBlockSize = GetBlockSize();
    mMeasurement.Rebuild(mSampleRate, [this] { return mSettings.Setup(); });
    mLatency.store(0);
  }
  if (changed && GetHost() != iplug::kHostUninit && GetLatency() != mLatency.load())
    ChangeLatency(mLatency.load());
}

void Kalvo5::SetActive(bool active) {
  if (!active) return;
  if (GetHost() == iplug::kHostIzotopeRX && mSettings.GetInt(kSync) != 0 &&
      mSettings.GetInt(kNoResetOnSync) == 0)
    RequestMeasurementChange();
  // Audio starts now: a setting that needs memory is complete from its first
  // block (an offline render runs faster than the memory worker looks).
  PrepareMeasurement();
}

void Kalvo5::OnEditorOpened() {
  iplug::IPlug::OnEditorOpened();
  mEditorOpen.store(true);
}

void Kalvo5::OnEditorClosed() { mEditorOpen.store(false); }

void Kalvo5::OnIdle() {
  ReportLatencyIfChanged(false);
  // The automation output is not written here but at the end of the process
  // call that completed its period (OnBlockEnd), on the audio thread.
  if (!EditorShown()) return;
  RunIdleDialogs();
}

}  // namespace kalvo5
