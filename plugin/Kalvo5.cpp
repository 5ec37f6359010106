#include "Kalvo5.h"

#include <memory>
#include <utility>

#include "FactoryPresets.h"
#include "ManualInstall.h"
#include "Version.h"

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
  config.editorWidth = 616;
  config.editorHeight = 352;
  config.minWidth = 205;
  config.maxWidth = 1848;
  config.minHeight = 117;
  config.maxHeight = 1056;
  return config;
}

Kalvo5::Kalvo5(const iplug::InstanceInfo& info) : iplug::IPlugVST2(info, Kalvo5Config()) {
  InitPaths(GetProductName());
  InstallManual(mDataFolder);
  SetNamedParamTable(NamedParamTable);
  SetMenuRecallFilter(&mPresetStore.mMenuRecall, NamedParamTable);

  mSampleRate = GetSampleRate();
  mBlockSize = GetBlockSize();
  mInputCount = NChannelsConnected(iplug::kInput);
  mOutputCount = NChannelsConnected(iplug::kOutput);

  // Every parameter starts at its mirror field, so both begin equal.
  double defaults[kNumParams];
  mSettings.CopyTo(defaults);
  DefineParameters(*this, defaults);
  MakeFactoryPresets(*this, *this, mPresetStore);

  InitMeasurement();
  // The default preset file, when there is one, replaces the defaults.
  if (!mPresetFolder.empty()) {
    std::string defaultName;
    _LoadPresetXML(*this, JoinPath(mPresetFolder, "default.vrs"), defaultName, PresetLoadMode::Direct);
  }
  mSettings.Set(kGUIScale, GetParam(kGUIScale)->GetValue());

  EnableTimerTicks();
}

Kalvo5::~Kalvo5() {
  // No tick may reach a plug-in that is being taken apart.
  StopTimer();
}

void Kalvo5::InitMeasurement() {
  mMeasurement.Init(mSampleRate, mSettings.Setup());
  mLatency.store(0);
}

void Kalvo5::ResetMeasurement() { mMeasurement.Reset(); }

void Kalvo5::ProcessAudioBlock(double** inputs, double** outputs, int nFrames) {
  if (GetHost() == iplug::kHostProTools && GetLatency() != mLatency.load()) ChangeLatency(mLatency.load());
  std::lock_guard<std::mutex> lock(mMeasurementLock);
  const BlockSettings settings = mSettings.ForBlock();
  const BlockRequests requests = mMeasurement.Process(inputs, NChannelsConnected(iplug::kInput), outputs,
                                                      NChannelsConnected(iplug::kOutput), nFrames, settings,
                                                      GetTimeInfo().transportIsRunning, mEditorOpen.load());
  if (requests.metersDirty) mMetersDirty.store(true);
  if (requests.readoutsDirty) mReadoutsDirty.store(true);
  if (requests.automationDue) mAutomationDue.store(true);
  mProcessedSinceStop.store(true);
  // While a write is due, every slice of the process call refreshes the
  // values, so the host gets those of the call's end.
  if (mAutomationDue.load()) mDueOutputs = OutputValuesFor(settings.type, mMeasurement.Read(settings.type));
}

void Kalvo5::ResetProcessing() {
  // A new rate or block size re-creates the analyzers. The new ones are
  // built (their memory obtained and mapped) before the lock, exchanged with
  // the running ones under it (pointer swaps and copies of fixed size), and
  // the old ones are freed after it: the audio thread never waits on an
  // allocation or a free.
  const bool changed = GetSampleRate() != mSampleRate || GetBlockSize() != mBlockSize;
  std::unique_ptr<MeasurementDriver> replaced;
  if (changed) {
    replaced = std::make_unique<MeasurementDriver>();
    replaced->Init(GetSampleRate(), mSettings.Setup());
  }
  {
    std::lock_guard<std::mutex> lock(mMeasurementLock);
    if (changed) {
      mSampleRate = GetSampleRate();
      mBlockSize = GetBlockSize();
      std::swap(mMeasurement, *replaced);
      mLatency.store(0);
    }
    mInputCount = NChannelsConnected(iplug::kInput);
    mOutputCount = NChannelsConnected(iplug::kOutput);
  }
  // The host is never called with the lock held.
  if (changed && GetHost() != iplug::kHostUninit && GetLatency() != mLatency.load())
    ChangeLatency(mLatency.load());
}

void Kalvo5::SetActive(bool active) {
  std::lock_guard<std::mutex> lock(mMeasurementLock);
  if (active && GetHost() == iplug::kHostIzotopeRX && mSettings.GetInt(kSync) != 0 &&
      mSettings.GetInt(kNoResetOnSync) == 0)
    ResetMeasurement();
}

MeasurementReadings Kalvo5::ReadMeasurement(int type) {
  std::lock_guard<std::mutex> lock(mMeasurementLock);
  return mMeasurement.Read(type);
}

bool Kalvo5::TryReadMeasurement(int type, MeasurementReadings& readings) {
  std::unique_lock<std::mutex> lock(mMeasurementLock, std::try_to_lock);
  if (!lock.owns_lock()) return false;
  readings = mMeasurement.Read(type);
  return true;
}

void Kalvo5::OnEditorOpened() {
  iplug::IPlugVST2::OnEditorOpened();
  mEditorOpen.store(true);
}

void Kalvo5::OnEditorClosed() { mEditorOpen.store(false); }

void Kalvo5::OnIdle() {
  ReportLatencyIfChanged(false);
  // The automation output is not written here but at the end of the process
  // call that completed its period (OnBlockEnd), on the audio thread.
  if (!mEditorOpen.load()) return;
  RunIdleDialogs();
}

}  // namespace kalvo5
