// What every parameter change and editor command does to the plug-in.
#include <cmath>
#include <span>

#include "Kalvo5.h"
#include "ReadingTable.h"
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

// One Match trigger: the reading it moves its type's gain by, and the level
// at or below which that reading is no measurement yet.
struct MatchRule {
  int trigger;
  int reading;  // the output parameter of the reading
  double floor;
};

// The peak and true-peak matches are skipped on silence too: a reading of
// -144 would otherwise drive the gain, which also reaches the output, to the
// top of its range.
constexpr MatchRule kMatchRules[] = {
    {kMatchRMSI, kOutRMSIL, kSilenceDb},
    {kMatchRMSMLMax, kOutRMSMLMax, kSilenceDb},
    {kMatchRMSPeakMax, kOutRMSPeakMax, kSilenceDb},
    {kMatchRMSTPMax, kOutRMSTPMax, kSilenceDb},
    {kMatchEBUI, kOutEBUIL, -70.0},
    {kMatchEBUSLMax, kOutEBUSLMax, kSilenceDb},
    {kMatchEBUMLMax, kOutEBUMLMax, kSilenceDb},
    {kMatchEBUTPMax, kOutEBUTPMax, kSilenceDb},
    {kMatchDIALI, kOutDIALIL, -70.0},
    {kMatchDIALSLMax, kOutDIALSLMax, kSilenceDb},
    {kMatchDIALTPMax, kOutDIALTPMax, kSilenceDb},
};

// The reference level and the gain parameter of an analyzer type.
struct TypeLevels {
  int reference;
  int gain;
};
TypeLevels LevelsOf(int type) {
  switch (type) {
    case kTypeRMS:
      return {kRMSRefLevel, kRMSGain};
    case kTypeEBU:
      return {kEBURefLevel, kEBUGain};
    default:
      return {kDIALRefLevel, kDIALGain};
  }
}

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
// Initial-exec, so that no thread allocates for it: in a module loaded with
// dlopen a thread_local otherwise has the dynamic TLS model, and the C
// library allocates the module's block of them (48 bytes) on each thread's
// first access, such as a host's audio thread calling setParameter for the
// first time. A module with an initial-exec variable has its whole block in
// the static TLS every thread gets (glibc keeps room for modules loaded
// later; dlopen fails loudly when there is none), so the framework's
// thread_locals are allocation-free too.
[[gnu::tls_model("initial-exec")]] thread_local int tHostChangeDepth = 0;

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
          Request(IdleRequest::EditorResize);
        }
        break;
      case kToggleTooltips:
        if (changed) {
          mSettings.SetInt(index, number);
          Request(IdleRequest::Tooltips);
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
  } else {
    return;
  }
  AfterChange();
}

void Kalvo5::AfterChange() {
  mReportedLatency.SetPDCLatency(mLatency.load());
  Request(IdleRequest::MeterRefresh);
  Request(IdleRequest::ReadoutRefresh);
  ReportLatencyIfChanged(true);
}

void Kalvo5::Execute(const EditorCommand& command) {
  switch (command.code) {
    case kCmdAbout:
      if (EditorExists()) Request(IdleRequest::About);
      break;
    case kCmdCheckUpdate:
      if (EditorExists()) Request(IdleRequest::UpdateCheck);
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
      if (command.scaleEntry >= 0)
        SetEditorScale(MenuScaleForEntry(command.scaleEntry, *GetParam(kGUIScale)), true);
      break;
    case kCmdExportPresetText:
    case kCmdLoadPreset:
    case kCmdSavePreset:
    case kCmdSaveDefault:
    case kCmdRescanPresets:
      RunPresetCommand(command);
      break;
    default:
      break;  // kCmdReserved does nothing
  }
  AfterChange();
}

void Kalvo5::SetEditorScale(double scale, bool resizeWindow) {
  mSettings.Set(kGUIScale, scale);
  if (resizeWindow) Request(IdleRequest::EditorResize);
  SetParamFromPlugin(kGUIScale, scale);
}

void Kalvo5::ApplyParamChange(bool redrawScales) {
  // The audio thread resets and re-configures the measurement at its next
  // block, with memory obtained here when this thread may, else by the
  // memory worker.
  RequestMeasurementChange();
  if (tHostChangeDepth == 0) PrepareMeasurement();
  Request(IdleRequest::MeterRefresh);
  Request(IdleRequest::ReadoutRefresh);
  if (redrawScales) UpdateAnalyzerView();
}

void Kalvo5::Match(int trigger) {
  for (const MatchRule& rule : kMatchRules) {
    if (rule.trigger != trigger) continue;
    const ReadingRow* row = FindReadingRow(rule.reading);
    if (row == nullptr) return;
    const MeasurementReadings readings = DisplayedReadings(row->type);
    const double measured = row->value(readings);
    if (!(measured > rule.floor) || !HasReading(*row, readings)) return;
    // The measurement already includes the current gain.
    const TypeLevels levels = LevelsOf(row->type);
    const double gain = mSettings.Get(levels.reference) - (measured - mSettings.Get(levels.gain));
    mSettings.Set(levels.gain, gain);
    SetParamFromPlugin(levels.gain, gain);
    mSettings.Set(levels.gain, GetParam(levels.gain)->GetValue());
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
  if (GetLatency() != mReportedLatency.PDCLatency()) ChangeLatency(mReportedLatency.PDCLatency());
}

}  // namespace kalvo5
