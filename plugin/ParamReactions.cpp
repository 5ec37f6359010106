// What every parameter change and editor command does to the plug-in.
#include <cmath>
#include <span>

#include "Kalvo5.h"
#include "engine/LevelScale.h"

namespace kalvo5 {

namespace {

using iplug::ParamSource;

bool IsOneOf(int value, std::span<const int> values) {
  for (int v : values)
    if (v == value) return true;
  return false;
}

// Hosts that want a changed latency reported again after every parameter
// change.
constexpr int kLatencyAfterChangeHosts[] = {
    iplug::kHostFL,        iplug::kHostAbletonLive, iplug::kHostLogic, iplug::kHostGarageBand,
    iplug::kHostStudioOne, iplug::kHostWaveform,    iplug::kHostSadie};

// One Match trigger: which reading of which analyzer it moves the gain by,
// and when that reading is not a measurement yet.
struct MatchRule {
  int trigger;
  int type;
  int referenceIndex;
  int gainIndex;
  double (*measured)(const MeasurementReadings&);
  double floor;                               // skipped while measured <= floor
  bool (*valid)(const MeasurementReadings&);  // null: no further condition
};

// The peak and true-peak matches are skipped on silence too: a reading of
// -144 would otherwise drive the gain, which also reaches the output, to the
// top of its range.
const MatchRule kMatchRules[] = {
    {kMatchRMSI, kTypeRMS, kRMSRefLevel, kRMSGain,
     [](const MeasurementReadings& r) { return r.rms.integrated; }, kSilenceDb, nullptr},
    {kMatchRMSMLMax, kTypeRMS, kRMSRefLevel, kRMSGain,
     [](const MeasurementReadings& r) { return r.rms.momentaryMax; }, kSilenceDb, nullptr},
    {kMatchRMSPeakMax, kTypeRMS, kRMSRefLevel, kRMSGain,
     [](const MeasurementReadings& r) { return r.rms.peakMax; }, kSilenceDb, nullptr},
    {kMatchRMSTPMax, kTypeRMS, kRMSRefLevel, kRMSGain,
     [](const MeasurementReadings& r) { return r.rms.truePeakMax; }, kSilenceDb, nullptr},
    {kMatchEBUI, kTypeEBU, kEBURefLevel, kEBUGain,
     [](const MeasurementReadings& r) { return r.ebu.integrated; }, -70.0,
     [](const MeasurementReadings& r) { return r.ebu.integratedValid; }},
    {kMatchEBUSLMax, kTypeEBU, kEBURefLevel, kEBUGain,
     [](const MeasurementReadings& r) { return r.ebu.shortTermMax; }, kSilenceDb, nullptr},
    {kMatchEBUMLMax, kTypeEBU, kEBURefLevel, kEBUGain,
     [](const MeasurementReadings& r) { return r.ebu.momentaryMax; }, kSilenceDb, nullptr},
    {kMatchEBUTPMax, kTypeEBU, kEBURefLevel, kEBUGain,
     [](const MeasurementReadings& r) { return r.ebu.truePeakMax; }, kSilenceDb, nullptr},
    {kMatchDIALI, kTypeDIAL, kDIALRefLevel, kDIALGain,
     [](const MeasurementReadings& r) { return r.dial.integrated; }, -70.0,
     [](const MeasurementReadings& r) { return r.dial.integratedValid; }},
    {kMatchDIALSLMax, kTypeDIAL, kDIALRefLevel, kDIALGain,
     [](const MeasurementReadings& r) { return r.dial.shortTermMax; }, kSilenceDb, nullptr},
    {kMatchDIALTPMax, kTypeDIAL, kDIALRefLevel, kDIALGain,
     [](const MeasurementReadings& r) { return r.dial.truePeakMax; }, kSilenceDb, nullptr},
};

// The editor scale of entry n of the plug-in menu's scale list.
double MenuScaleForEntry(int n, const iplug::IParam& scale) {
  if (n == 0) return scale.GetMin();
  if (n >= 1 && n <= 9) return 0.75 + 0.25 * (n - 1);
  if (n == 10) return scale.GetMax();
  return scale.GetDefault();
}

// How deep this thread is in reactions to host changes. Hosts call
// setParameter on their audio thread too, so what such a change sets off
// (Match setting a gain included) must not allocate or wait; the other
// sources come from the host's GUI or main thread (the editor, program and
// state loads, effOpen).
thread_local int tHostChangeDepth = 0;

struct HostChangeScope {
  explicit HostChangeScope(bool host) : counted(host) { tHostChangeDepth += counted ? 1 : 0; }
  ~HostChangeScope() { tHostChangeDepth -= counted ? 1 : 0; }
  HostChangeScope(const HostChangeScope&) = delete;
  HostChangeScope& operator=(const HostChangeScope&) = delete;
  bool counted;
};

}  // namespace

void Kalvo5::OnParamChange(int index, ParamSource source, int /*sampleOffset*/) {
  if (source != ParamSource::Reset && source != ParamSource::Host && source != ParamSource::PresetRecall &&
      source != ParamSource::Editor)
    return;
  const HostChangeScope scope(source == ParamSource::Host);
  const iplug::IParam* param = GetParam(index);
  if (param) {
    if (source == ParamSource::Host && !param->CanAutomate()) return;
    const double value = param->GetValue();
    const int number = static_cast<int>(value);  // truncated toward zero
    const bool changed = number != mSettings.GetInt(index);
    switch (index) {
      case kGUIScale:
        if (value != mSettings.Get(index)) {
          mSettings.Set(index, value);
          mScaleChanged.store(true);
        }
        break;
      case kToggleTooltips:
        if (changed) {
          mSettings.SetInt(index, number);
          mTooltipsChanged.store(true);
        }
        break;
      case kType:
      case kRMSChannelConfig:
      case kEBUChannelConfig:
      case kDIALChannelConfig:
        if (changed) {
          mSettings.SetInt(index, number);
          ApplyParamChange(true);
        }
        break;
      case kSync:
      case kWriteAutomationData:
      case kOnlineUpdateCheck:
        mSettings.SetInt(index, number);
        break;
      case kRMSGain:
      case kRMSRefLevel:
      case kEBUGain:
      case kEBURefLevel:
      case kDIALGain:
      case kDIALRefLevel:
        mSettings.Set(index, value);
        break;
      case kRMSDelta:
      case kEBUDelta:
      case kDIALDelta:
      case kTruePeak:
        if (changed) {
          mSettings.SetInt(index, number);
          UpdateAnalyzerView();
        }
        break;
      case kRMSMode:
      case kRMSWFilterMode:
        if (changed) {
          mSettings.SetInt(index, number);
          ApplyParamChange(true);
        }
        break;
      case kRMSWindow:
      case kDIALWindow:
        if (value != mSettings.Get(index)) {
          mSettings.Set(index, value);
          ApplyParamChange(false);
        }
        break;
      case kReset:
        if (changed) {
          mSettings.SetInt(index, number);
          if (number == 1) ApplyParamChange(false);
        }
        break;
      case kNoResetOnSync:
      case kNoLinkOutput:
        if (changed) mSettings.SetInt(index, number);
        break;
      default:
        if (IsMatchTrigger(index) && changed) {
          mSettings.SetInt(index, number);
          if (number == 1) Match(index);
        }
        break;  // output parameters: host writes change nothing
    }
  } else if (index >= kNumParams && index <= kCmdMenuEditorScale) {
    OnCommand(index);
  } else {
    return;
  }

  SetPDCLatency(mLatency.load());
  mMetersDirty.store(true);
  mReadoutsDirty.store(true);
  ReportLatencyIfChanged(true);
}

void Kalvo5::OnCommand(int code) {
  switch (code) {
    case kCmdAbout:
      if (EditorExists()) mAboutRequested.store(true);
      break;
    case kCmdCheckUpdate:
      if (EditorExists()) mUpdateCheckRequested.store(true);
      break;
    case kCmdTakeEditorScale:
      // The window already has this scale (the user resized it).
      if (EditorExists()) SetEditorScale(EditorDrawScale(), false);
      break;
    case kCmdToggleEditorScale:
      SetEditorScale(std::fabs(1.0 - mSettings.Get(kGUIScale)) < 0.01 ? 1.5 : 1.0, true);
      break;
    case kCmdMinEditorScale:
      SetEditorScale(GetParam(kGUIScale)->GetMin(), true);
      break;
    case kCmdMenuEditorScale:
      if (const std::optional<int> entry = ChosenMenuScaleEntry())
        SetEditorScale(MenuScaleForEntry(*entry, *GetParam(kGUIScale)), true);
      break;
    case kCmdExportPresetText:
    case kCmdLoadPreset:
    case kCmdSavePreset:
    case kCmdSaveDefault:
    case kCmdRescanPresets:
      RunPresetCommand(code);
      break;
    default:
      break;  // kNumParams and kCmdReserved do nothing
  }
}

void Kalvo5::SetEditorScale(double scale, bool resizeWindow) {
  mSettings.Set(kGUIScale, scale);
  if (resizeWindow) mScaleChanged.store(true);
  SetParamFromPlugin(kGUIScale, scale);
}

void Kalvo5::ApplyParamChange(bool redrawScales) {
  // The audio thread resets and re-configures the measurement at its next
  // block, with memory obtained here when this thread may, else by the
  // memory worker.
  RequestMeasurementChange();
  if (tHostChangeDepth == 0) PrepareMeasurement();
  mMetersDirty.store(true);
  mReadoutsDirty.store(true);
  if (redrawScales) UpdateAnalyzerView();
}

void Kalvo5::Match(int trigger) {
  for (const MatchRule& rule : kMatchRules) {
    if (rule.trigger != trigger) continue;
    const MeasurementReadings readings = ReadMeasurement(rule.type);
    const double measured = rule.measured(readings);
    if (!(measured > rule.floor) || (rule.valid && !rule.valid(readings))) return;
    // The measurement already includes the current gain.
    const double gain = mSettings.Get(rule.referenceIndex) - (measured - mSettings.Get(rule.gainIndex));
    mSettings.Set(rule.gainIndex, gain);
    SetParamFromPlugin(rule.gainIndex, gain);
    mSettings.Set(rule.gainIndex, GetParam(rule.gainIndex)->GetValue());
    ApplyParamChange(false);
    return;
  }
}

void Kalvo5::SetParamFromPlugin(int index, double value) {
  iplug::IParam* param = GetParam(index);
  if (!param || std::isnan(value) || value == param->GetValue()) return;
  const double normalized = param->NormalizedFromValue(value);
  param->SetNormalizedValue(normalized);
  SendParamToHost(index, normalized);
  OnParamChange(index, ParamSource::Editor, -1);
  SendParamToEditor(index, value, false);
}

void Kalvo5::ReportLatencyIfChanged(bool afterParamChange) {
  const int host = GetHost();
  if (host == iplug::kHostUninit) return;
  if (afterParamChange ? !IsOneOf(host, kLatencyAfterChangeHosts) : host == iplug::kHostProTools) return;
  if (GetLatency() != PDCLatency()) ChangeLatency(PDCLatency());
}

}  // namespace kalvo5
