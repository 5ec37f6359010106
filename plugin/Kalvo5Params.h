// Parameter indices and editor command codes of the plug-in. The indices are
// part of the host interface (hosts store automation by index) and must never
// be renumbered. Readings added later have their indices in their rows of the
// reading table (ReadingTable.h, which also counts the parameters).
#pragma once

#include "engine/ChannelConfig.h"

namespace kalvo5 {

enum EParams : int {
  kGUIScale = 0,
  kToggleTooltips = 1,
  kType = 2,
  kSync = 3,
  kWriteAutomationData = 4,
  kRMSChannelConfig = 5,
  kRMSGain = 6,
  kRMSRefLevel = 7,
  kRMSDelta = 8,
  kRMSMode = 9,
  kRMSWindow = 10,
  kRMSWFilterMode = 11,
  kOutRMSIL = 12,
  kOutRMSML = 13,
  kOutRMSMLMax = 14,
  kOutRMSPeakMax = 15,
  kOutRMSTPMax = 16,
  kOutRMSCrest = 17,
  kEBUChannelConfig = 18,
  kEBUGain = 19,
  kEBURefLevel = 20,
  kEBUDelta = 21,
  kOutEBUIL = 22,
  kOutEBUML = 23,
  kOutEBUMLMax = 24,
  kOutEBUSL = 25,
  kOutEBUSLMax = 26,
  kOutEBUTPMax = 27,
  kOutEBULRA = 28,
  kDIALChannelConfig = 29,
  kDIALGain = 30,
  kDIALRefLevel = 31,
  kDIALDelta = 32,
  kDIALWindow = 33,
  kOutDIALIL = 34,
  kOutDIALLRA = 35,
  kOutDIALPercentage = 36,
  kOutDIALSL = 37,
  kOutDIALSLMax = 38,
  kOutDIALTPMax = 39,
  kOutDIALLRAD = 40,
  kReset = 41,
  kTruePeak = 42,
  kNoResetOnSync = 43,
  kMatchRMSI = 44,
  kMatchRMSMLMax = 45,
  kMatchRMSPeakMax = 46,
  kMatchRMSTPMax = 47,
  kMatchEBUI = 48,
  kMatchEBUSLMax = 49,
  kMatchEBUMLMax = 50,
  kMatchEBUTPMax = 51,
  kMatchDIALI = 52,
  kMatchDIALSLMax = 53,
  kMatchDIALTPMax = 54,
  kOnlineUpdateCheck = 55,
  kNoLinkOutput = 56,
  kNumNamedParams = 57,  // one past the last index named here
};

// What the editor's controls ask of the plug-in besides parameter changes
// (sent with Kalvo5::Execute, never as a parameter index).
enum ECommands : int {
  kCmdAbout = 58,
  kCmdCheckUpdate = 59,
  kCmdReserved = 60,
  kCmdExportPresetText = 61,
  kCmdLoadPreset = 62,
  kCmdSavePreset = 63,
  kCmdSaveDefault = 64,
  kCmdRescanPresets = 65,
  kCmdTakeEditorScale = 66,
  kCmdToggleEditorScale = 67,
  kCmdMinEditorScale = 68,
  kCmdMenuEditorScale = 69,
};

// Values of "Type", and their texts.
enum EAnalyzerType : int { kTypeRMS = kAnalyzerRMS, kTypeEBU = kAnalyzerEBU, kTypeDIAL = kAnalyzerDIAL };
inline constexpr const char* kTypeNames[] = {"RMS", "EBU", "DIAL"};

inline bool IsMatchTrigger(int index) { return index >= kMatchRMSI && index <= kMatchDIALTPMax; }

}  // namespace kalvo5
