// The VST 2.4 binary interface between a host and an effect: the effect
// record, the function types, the opcodes in both directions, the flags and
// the structures the two sides exchange. Written from the documented layout
// (numbers and offsets are facts of the interface); every structure is
// checked against its expected size and field offsets below, on x86-64 and
// on i386.
//
// Everything lives in the namespace vst2 and has standard layout, so the
// records can cross the C boundary unchanged. On Linux every function uses
// the platform's C calling convention.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vst2 {

using VstInt16 = std::int16_t;
using VstInt32 = std::int32_t;
using VstIntPtr = std::intptr_t;  // a signed integer as wide as a pointer

// A four-character code, first character most significant ('VstP').
constexpr VstInt32 FourCharCode(char a, char b, char c, char d) {
  return static_cast<VstInt32>((static_cast<std::uint32_t>(static_cast<unsigned char>(a)) << 24) |
                               (static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 16) |
                               (static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 8) |
                               static_cast<std::uint32_t>(static_cast<unsigned char>(d)));
}

inline constexpr VstInt32 kEffectMagic = FourCharCode('V', 's', 't', 'P');  // 0x56737450
inline constexpr VstInt32 kVstVersion = 2400;
inline constexpr VstInt32 kEffectIdentifyAnswer = FourCharCode('N', 'v', 'E', 'f');  // effIdentify

struct AEffect;

// Host callback and the effect's own entry points. opt is a float: on x86-64
// it travels in a vector register, so its type must be exact.
using audioMasterCallback = VstIntPtr (*)(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                          void* ptr, float opt);
using AEffectDispatcherProc = VstIntPtr (*)(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                            void* ptr, float opt);
using AEffectProcessProc = void (*)(AEffect* effect, float** inputs, float** outputs, VstInt32 sampleFrames);
using AEffectProcessDoubleProc = void (*)(AEffect* effect, double** inputs, double** outputs,
                                          VstInt32 sampleFrames);
using AEffectSetParameterProc = void (*)(AEffect* effect, VstInt32 index, float value);
using AEffectGetParameterProc = float (*)(AEffect* effect, VstInt32 index);

// The exported entry point ("VSTPluginMain", or "main" for older hosts):
// creates one effect instance, or answers null.
using PluginEntryProc = AEffect* (*)(audioMasterCallback host);

// The effect record: allocated and owned by the plug-in, read by the host.
struct AEffect {
  VstInt32 magic;  // kEffectMagic
  AEffectDispatcherProc dispatcher;
  AEffectProcessProc process;  // accumulating form, deprecated but never null
  AEffectSetParameterProc setParameter;
  AEffectGetParameterProc getParameter;
  VstInt32 numPrograms;
  VstInt32 numParams;
  VstInt32 numInputs;
  VstInt32 numOutputs;
  VstInt32 flags;          // effFlags* bits
  VstIntPtr resvd1;        // reserved for the host
  VstIntPtr resvd2;        // reserved for the host
  VstInt32 initialDelay;   // latency in samples
  VstInt32 realQualities;  // unused
  VstInt32 offQualities;   // unused
  float ioRatio;           // unused, 1.0
  void* object;            // the plug-in's own object
  void* user;              // ownership unclear between hosts: leave alone
  VstInt32 uniqueID;       // four-character plug-in id
  VstInt32 version;        // plug-in version, e.g. 1100 for 1.1.0.0
  AEffectProcessProc processReplacing;
  AEffectProcessDoubleProc processDoubleReplacing;
  char future[56];  // reserved, zero
};

// AEffect.flags
enum EffectFlags : VstInt32 {
  effFlagsHasEditor = 1 << 0,
  effFlagsHasClip = 1 << 1,  // deprecated
  effFlagsHasVu = 1 << 2,    // deprecated
  effFlagsCanMono = 1 << 3,  // deprecated
  effFlagsCanReplacing = 1 << 4,
  effFlagsProgramChunks = 1 << 5,
  effFlagsIsSynth = 1 << 8,
  effFlagsNoSoundInStop = 1 << 9,
  effFlagsExtIsAsync = 1 << 10,    // deprecated
  effFlagsExtHasBuffer = 1 << 11,  // deprecated
  effFlagsCanDoubleReplacing = 1 << 12,
};

// Host -> plug-in: dispatcher(effect, opcode, index, value, ptr, opt).
// Numbered explicitly: an implicit count silently shifts everything after a
// missing entry.
enum DispatcherOpcode : VstInt32 {
  effOpen = 0,
  effClose = 1,
  effSetProgram = 2,
  effGetProgram = 3,
  effSetProgramName = 4,
  effGetProgramName = 5,
  effGetParamLabel = 6,
  effGetParamDisplay = 7,
  effGetParamName = 8,
  effGetVu = 9,  // deprecated
  effSetSampleRate = 10,
  effSetBlockSize = 11,
  effMainsChanged = 12,
  effEditGetRect = 13,
  effEditOpen = 14,
  effEditClose = 15,
  effEditDraw = 16,   // deprecated
  effEditMouse = 17,  // deprecated
  effEditKey = 18,    // deprecated
  effEditIdle = 19,
  effEditTop = 20,    // deprecated
  effEditSleep = 21,  // deprecated
  effIdentify = 22,   // deprecated
  effGetChunk = 23,
  effSetChunk = 24,
  effProcessEvents = 25,
  effCanBeAutomated = 26,
  effString2Parameter = 27,
  effGetNumProgramCategories = 28,  // deprecated
  effGetProgramNameIndexed = 29,
  effCopyProgram = 30,    // deprecated
  effConnectInput = 31,   // deprecated
  effConnectOutput = 32,  // deprecated
  effGetInputProperties = 33,
  effGetOutputProperties = 34,
  effGetPlugCategory = 35,
  effGetCurrentPosition = 36,    // deprecated
  effGetDestinationBuffer = 37,  // deprecated
  effOfflineNotify = 38,
  effOfflinePrepare = 39,
  effOfflineRun = 40,
  effProcessVarIo = 41,
  effSetSpeakerArrangement = 42,
  effSetBlockSizeAndSampleRate = 43,  // deprecated
  effSetBypass = 44,
  effGetEffectName = 45,
  effGetErrorText = 46,  // deprecated
  effGetVendorString = 47,
  effGetProductString = 48,
  effGetVendorVersion = 49,
  effVendorSpecific = 50,
  effCanDo = 51,
  effGetTailSize = 52,
  effIdle = 53,             // deprecated
  effGetIcon = 54,          // deprecated
  effSetViewPosition = 55,  // deprecated
  effGetParameterProperties = 56,
  effKeysRequired = 57,  // deprecated
  effGetVstVersion = 58,
  effEditKeyDown = 59,
  effEditKeyUp = 60,
  effSetEditKnobMode = 61,
  effGetMidiProgramName = 62,
  effGetCurrentMidiProgram = 63,
  effGetMidiProgramCategory = 64,
  effHasMidiProgramsChanged = 65,
  effGetMidiKeyName = 66,
  effBeginSetProgram = 67,
  effEndSetProgram = 68,
  effGetSpeakerArrangement = 69,
  effShellGetNextPlugin = 70,
  effStartProcess = 71,
  effStopProcess = 72,
  effSetTotalSampleToProcess = 73,
  effSetPanLaw = 74,
  effBeginLoadBank = 75,
  effBeginLoadProgram = 76,
  effSetProcessPrecision = 77,
  effGetNumMidiInputChannels = 78,
  effGetNumMidiOutputChannels = 79,
};

// Plug-in -> host: hostCallback(effect, opcode, index, value, ptr, opt).
// effect may be null when a plug-in asks from inside its entry point.
enum HostOpcode : VstInt32 {
  audioMasterAutomate = 0,
  audioMasterVersion = 1,
  audioMasterCurrentId = 2,
  audioMasterIdle = 3,
  audioMasterPinConnected = 4,  // deprecated; 5 is unused
  audioMasterWantMidi = 6,      // deprecated
  audioMasterGetTime = 7,
  audioMasterProcessEvents = 8,
  audioMasterSetTime = 9,                       // deprecated
  audioMasterTempoAt = 10,                      // deprecated
  audioMasterGetNumAutomatableParameters = 11,  // deprecated
  audioMasterGetParameterQuantization = 12,     // deprecated
  audioMasterIOChanged = 13,
  audioMasterNeedIdle = 14,  // deprecated
  audioMasterSizeWindow = 15,
  audioMasterGetSampleRate = 16,
  audioMasterGetBlockSize = 17,
  audioMasterGetInputLatency = 18,
  audioMasterGetOutputLatency = 19,
  audioMasterGetPreviousPlug = 20,          // deprecated
  audioMasterGetNextPlug = 21,              // deprecated
  audioMasterWillReplaceOrAccumulate = 22,  // deprecated
  audioMasterGetCurrentProcessLevel = 23,
  audioMasterGetAutomationState = 24,
  audioMasterOfflineStart = 25,
  audioMasterOfflineRead = 26,
  audioMasterOfflineWrite = 27,
  audioMasterOfflineGetCurrentPass = 28,
  audioMasterOfflineGetCurrentMetaPass = 29,
  audioMasterSetOutputSampleRate = 30,          // deprecated
  audioMasterGetOutputSpeakerArrangement = 31,  // deprecated
  audioMasterGetVendorString = 32,
  audioMasterGetProductString = 33,
  audioMasterGetVendorVersion = 34,
  audioMasterVendorSpecific = 35,
  audioMasterSetIcon = 36,  // deprecated
  audioMasterCanDo = 37,
  audioMasterGetLanguage = 38,
  audioMasterOpenWindow = 39,   // deprecated
  audioMasterCloseWindow = 40,  // deprecated
  audioMasterGetDirectory = 41,
  audioMasterUpdateDisplay = 42,
  audioMasterBeginEdit = 43,
  audioMasterEndEdit = 44,
  audioMasterOpenFileSelector = 45,
  audioMasterCloseFileSelector = 46,
  audioMasterEditFile = 47,                    // deprecated
  audioMasterGetChunkFile = 48,                // deprecated
  audioMasterGetInputSpeakerArrangement = 49,  // deprecated
};

// Answers to effCanDo and audioMasterCanDo.
enum CanDoAnswer : VstInt32 { kCanDoYes = 1, kCanDoMaybe = 0, kCanDoNo = -1 };

// String buffer sizes, without the terminating zero: give buffers N + 1.
// Hosts usually pass far larger buffers than these nominal limits.
inline constexpr int kVstMaxProgNameLen = 24;
inline constexpr int kVstMaxParamStrLen = 8;
inline constexpr int kVstMaxVendorStrLen = 64;
inline constexpr int kVstMaxProductStrLen = 64;
inline constexpr int kVstMaxEffectNameLen = 32;
inline constexpr int kVstMaxNameLen = 64;
inline constexpr int kVstMaxLabelLen = 64;
inline constexpr int kVstMaxShortLabelLen = 8;
inline constexpr int kVstMaxCategLabelLen = 24;
inline constexpr int kVstMaxFileNameLen = 100;

// Transport state, answered by the host to audioMasterGetTime.
struct VstTimeInfo {
  double samplePos;  // position of the block's first sample
  double sampleRate;
  double nanoSeconds;    // system time, valid with kVstNanosValid
  double ppqPos;         // musical position in quarter notes
  double tempo;          // beats per minute
  double barStartPos;    // ppq position of the last bar start
  double cycleStartPos;  // loop start in ppq
  double cycleEndPos;    // loop end in ppq
  VstInt32 timeSigNumerator;
  VstInt32 timeSigDenominator;
  VstInt32 smpteOffset;
  VstInt32 smpteFrameRate;  // VstSmpteFrameRate
  VstInt32 samplesToNextClock;
  VstInt32 flags;  // VstTimeInfoFlags
};

// VstTimeInfo.flags; the same bits form the request mask of audioMasterGetTime.
enum VstTimeInfoFlags : VstInt32 {
  kVstTransportChanged = 1 << 0,
  kVstTransportPlaying = 1 << 1,
  kVstTransportCycleActive = 1 << 2,
  kVstTransportRecording = 1 << 3,
  kVstAutomationWriting = 1 << 6,
  kVstAutomationReading = 1 << 7,
  kVstNanosValid = 1 << 8,
  kVstPpqPosValid = 1 << 9,
  kVstTempoValid = 1 << 10,
  kVstBarsValid = 1 << 11,
  kVstCyclePosValid = 1 << 12,
  kVstTimeSigValid = 1 << 13,
  kVstSmpteValid = 1 << 14,
  kVstClockValid = 1 << 15,
};

enum VstSmpteFrameRate : VstInt32 {
  kVstSmpte24fps = 0,
  kVstSmpte25fps = 1,
  kVstSmpte2997fps = 2,
  kVstSmpte30fps = 3,
  kVstSmpte2997dfps = 4,
  kVstSmpte30dfps = 5,
  kVstSmpteFilm16mm = 6,
  kVstSmpteFilm35mm = 7,
  kVstSmpte239fps = 10,
  kVstSmpte249fps = 11,
  kVstSmpte599fps = 12,
  kVstSmpte60fps = 13,
};

// Editor rectangle returned through effEditGetRect. The field order is
// top, left, bottom, right.
struct ERect {
  VstInt16 top;
  VstInt16 left;
  VstInt16 bottom;
  VstInt16 right;
};

// Generic event header; concrete events are read through their own type.
struct VstEvent {
  VstInt32 type;         // VstEventType
  VstInt32 byteSize;     // hosts disagree on what they write here: do not rely on it
  VstInt32 deltaFrames;  // offset inside the current block
  VstInt32 flags;
  char data[16];
};

// Container passed to effProcessEvents and audioMasterProcessEvents. Declared
// with two slots, really numEvents long: senders allocate room for all of them.
struct VstEvents {
  VstInt32 numEvents;
  VstIntPtr reserved;
  VstEvent* events[2];
};

enum VstEventType : VstInt32 {
  kVstMidiType = 1,
  kVstAudioType = 2,      // deprecated
  kVstVideoType = 3,      // deprecated
  kVstParameterType = 4,  // deprecated
  kVstTriggerType = 5,    // deprecated
  kVstSysExType = 6,
};

enum VstMidiEventFlags : VstInt32 { kVstMidiEventIsRealtime = 1 << 0 };

struct VstMidiEvent {
  VstInt32 type;  // kVstMidiType
  VstInt32 byteSize;
  VstInt32 deltaFrames;
  VstInt32 flags;        // VstMidiEventFlags
  VstInt32 noteLength;   // samples, 0 if unknown
  VstInt32 noteOffset;   // samples into the note, 0 if unknown
  char midiData[4];      // one to three MIDI bytes, the fourth zero
  char detune;           // cents
  char noteOffVelocity;  // 0 ... 127
  char reserved1;
  char reserved2;
};

struct VstMidiSysexEvent {
  VstInt32 type;  // kVstSysExType
  VstInt32 byteSize;
  VstInt32 deltaFrames;
  VstInt32 flags;
  VstInt32 dumpBytes;  // size of sysexDump
  VstIntPtr resvd1;
  char* sysexDump;
  VstIntPtr resvd2;
};

// Properties of one input or output channel (effGet{Input,Output}Properties).
struct VstPinProperties {
  char label[kVstMaxLabelLen];
  VstInt32 flags;            // VstPinPropertiesFlags
  VstInt32 arrangementType;  // VstSpeakerArrangementType of the bus
  char shortLabel[kVstMaxShortLabelLen];
  char future[48];
};

enum VstPinPropertiesFlags : VstInt32 {
  kVstPinIsActive = 1 << 0,
  kVstPinIsStereo = 1 << 1,  // first channel of a stereo pair
  kVstPinUseSpeaker = 1 << 2,
};

// Parameter description (effGetParameterProperties).
struct VstParameterProperties {
  float stepFloat;
  float smallStepFloat;
  float largeStepFloat;
  char label[kVstMaxLabelLen];
  VstInt32 flags;  // VstParameterFlags
  VstInt32 minInteger;
  VstInt32 maxInteger;
  VstInt32 stepInteger;
  VstInt32 largeStepInteger;
  char shortLabel[kVstMaxShortLabelLen];
  VstInt16 displayIndex;
  VstInt16 category;  // 0 = none, else category index + 1
  VstInt16 numParametersInCategory;
  VstInt16 reserved;
  char categoryLabel[kVstMaxCategLabelLen];
  char future[16];
};

enum VstParameterFlags : VstInt32 {
  kVstParameterIsSwitch = 1 << 0,
  kVstParameterUsesIntegerMinMax = 1 << 1,
  kVstParameterUsesFloatStep = 1 << 2,
  kVstParameterUsesIntStep = 1 << 3,
  kVstParameterSupportsDisplayIndex = 1 << 4,
  kVstParameterSupportsDisplayCategory = 1 << 5,
  kVstParameterCanRamp = 1 << 6,
};

struct VstSpeakerProperties {
  float azimuth;    // radians
  float elevation;  // radians
  float radius;
  float reserved;
  char name[kVstMaxNameLen];
  VstInt32 type;  // VstSpeakerType
  char future[28];
};

// Declared with eight speakers; really numChannels long (allocated larger
// for more than eight channels).
struct VstSpeakerArrangement {
  VstInt32 type;  // VstSpeakerArrangementType
  VstInt32 numChannels;
  VstSpeakerProperties speakers[8];
};

enum VstSpeakerArrangementType : VstInt32 {
  kSpeakerArrUserDefined = -2,
  kSpeakerArrEmpty = -1,
  kSpeakerArrMono = 0,
  kSpeakerArrStereo = 1,
  kSpeakerArrStereoSurround = 2,
  kSpeakerArrStereoCenter = 3,
  kSpeakerArrStereoSide = 4,
  kSpeakerArrStereoCLfe = 5,
  kSpeakerArr30Cine = 6,
  kSpeakerArr30Music = 7,
  kSpeakerArr31Cine = 8,
  kSpeakerArr31Music = 9,
  kSpeakerArr40Cine = 10,
  kSpeakerArr40Music = 11,
  kSpeakerArr41Cine = 12,
  kSpeakerArr41Music = 13,
  kSpeakerArr50 = 14,
  kSpeakerArr51 = 15,
  kSpeakerArr60Cine = 16,
  kSpeakerArr60Music = 17,
  kSpeakerArr61Cine = 18,
  kSpeakerArr61Music = 19,
  kSpeakerArr70Cine = 20,
  kSpeakerArr70Music = 21,
  kSpeakerArr71Cine = 22,
  kSpeakerArr71Music = 23,
  kSpeakerArr80Cine = 24,
  kSpeakerArr80Music = 25,
  kSpeakerArr81Cine = 26,
  kSpeakerArr81Music = 27,
  kSpeakerArr102 = 28,
  kNumSpeakerArr = 29,
};

enum VstSpeakerType : VstInt32 {
  kSpeakerUndefined = 0x7FFFFFFF,
  kSpeakerM = 0,
  kSpeakerL = 1,
  kSpeakerR = 2,
  kSpeakerC = 3,
  kSpeakerLfe = 4,
  kSpeakerLs = 5,
  kSpeakerRs = 6,
  kSpeakerLc = 7,
  kSpeakerRc = 8,
  kSpeakerS = 9,
  kSpeakerCs = kSpeakerS,
  kSpeakerSl = 10,
  kSpeakerSr = 11,
  kSpeakerTm = 12,
  kSpeakerTfl = 13,
  kSpeakerTfc = 14,
  kSpeakerTfr = 15,
  kSpeakerTrl = 16,
  kSpeakerTrc = 17,
  kSpeakerTrr = 18,
  kSpeakerLfe2 = 19,
};

struct MidiKeyName {
  VstInt32 thisProgramIndex;
  VstInt32 thisKeyNumber;  // 0 ... 127
  char keyName[kVstMaxNameLen];
  VstInt32 reserved;
  VstInt32 flags;
};

// The three members effEditKeyDown/Up pass as separate arguments.
struct VstKeyCode {
  VstInt32 character;
  unsigned char virt;      // VstVirtualKey
  unsigned char modifier;  // VstModifierKey bits
};

enum VstPlugCategory : VstInt32 {
  kPlugCategUnknown = 0,
  kPlugCategEffect = 1,
  kPlugCategSynth = 2,
  kPlugCategAnalysis = 3,
  kPlugCategMastering = 4,
  kPlugCategSpacializer = 5,
  kPlugCategRoomFx = 6,
  kPlugSurroundFx = 7,
  kPlugCategRestoration = 8,
  kPlugCategOfflineProcess = 9,
  kPlugCategShell = 10,
  kPlugCategGenerator = 11,
  kPlugCategMaxCount = 12,
};

enum VstProcessLevel : VstInt32 {
  kVstProcessLevelUnknown = 0,
  kVstProcessLevelUser = 1,
  kVstProcessLevelRealtime = 2,
  kVstProcessLevelPrefetch = 3,
  kVstProcessLevelOffline = 4,
};

enum VstAutomationState : VstInt32 {
  kVstAutomationUnsupported = 0,
  kVstAutomationOff = 1,
  kVstAutomationRead = 2,
  kVstAutomationWrite = 3,
  kVstAutomationReadWrite = 4,
};

enum VstHostLanguage : VstInt32 {
  kVstLangEnglish = 1,
  kVstLangGerman = 2,
  kVstLangFrench = 3,
  kVstLangItalian = 4,
  kVstLangSpanish = 5,
  kVstLangJapanese = 6,
};

enum VstProcessPrecision : VstInt32 { kVstProcessPrecision32 = 0, kVstProcessPrecision64 = 1 };

// effEditKeyDown/Up value.
enum VstVirtualKey : VstInt32 {
  VKEY_BACK = 1,
  VKEY_TAB = 2,
  VKEY_CLEAR = 3,
  VKEY_RETURN = 4,
  VKEY_PAUSE = 5,
  VKEY_ESCAPE = 6,
  VKEY_SPACE = 7,
  VKEY_NEXT = 8,
  VKEY_END = 9,
  VKEY_HOME = 10,
  VKEY_LEFT = 11,
  VKEY_UP = 12,
  VKEY_RIGHT = 13,
  VKEY_DOWN = 14,
  VKEY_PAGEUP = 15,
  VKEY_PAGEDOWN = 16,
  VKEY_SELECT = 17,
  VKEY_PRINT = 18,
  VKEY_ENTER = 19,
  VKEY_SNAPSHOT = 20,
  VKEY_INSERT = 21,
  VKEY_DELETE = 22,
  VKEY_HELP = 23,
  VKEY_NUMPAD0 = 24,
  VKEY_NUMPAD1 = 25,
  VKEY_NUMPAD2 = 26,
  VKEY_NUMPAD3 = 27,
  VKEY_NUMPAD4 = 28,
  VKEY_NUMPAD5 = 29,
  VKEY_NUMPAD6 = 30,
  VKEY_NUMPAD7 = 31,
  VKEY_NUMPAD8 = 32,
  VKEY_NUMPAD9 = 33,
  VKEY_MULTIPLY = 34,
  VKEY_ADD = 35,
  VKEY_SEPARATOR = 36,
  VKEY_SUBTRACT = 37,
  VKEY_DECIMAL = 38,
  VKEY_DIVIDE = 39,
  VKEY_F1 = 40,
  VKEY_F2 = 41,
  VKEY_F3 = 42,
  VKEY_F4 = 43,
  VKEY_F5 = 44,
  VKEY_F6 = 45,
  VKEY_F7 = 46,
  VKEY_F8 = 47,
  VKEY_F9 = 48,
  VKEY_F10 = 49,
  VKEY_F11 = 50,
  VKEY_F12 = 51,
  VKEY_NUMLOCK = 52,
  VKEY_SCROLL = 53,
  VKEY_SHIFT = 54,
  VKEY_CONTROL = 55,
  VKEY_ALT = 56,
  VKEY_EQUALS = 57,
};

// effEditKeyDown/Up modifier bits.
enum VstModifierKey : VstInt32 {
  MODIFIER_SHIFT = 1 << 0,
  MODIFIER_ALTERNATE = 1 << 1,
  MODIFIER_COMMAND = 1 << 2,  // Control on macOS
  MODIFIER_CONTROL = 1 << 3,  // Ctrl on Linux and Windows
};

enum VstKnobMode : VstInt32 { kCircularMode = 0, kRelativCircularMode = 1, kLinearMode = 2 };
enum VstPanLaw : VstInt32 { kLinearPanLaw = 0, kEqualPowerPanLaw = 1 };

// Vendor extensions hosts send through effVendorSpecific.
inline constexpr VstInt32 kPresonusVendor = FourCharCode('P', 'r', 'e', 'S');
inline constexpr VstInt32 kPresonusContentScale = FourCharCode('A', 'e', 'C', 's');
inline constexpr VstInt32 kPresonusGainReduction = FourCharCode('G', 'R', 'd', 'B');
// Our own: index kVantorelEditorSnapshot, ptr the path of a PNG file (a
// terminated string), opt the draw scale; answers 1 when the editor was
// drawn into the file.
inline constexpr VstInt32 kVantorelEditorSnapshot = FourCharCode('V', 't', 'S', 'n');
// Our own: index kVantorelSampleRates, ptr two doubles: the lowest and the
// highest sample rate (Hz) the plug-in measures correctly; answers 1 when it
// wrote them.
inline constexpr VstInt32 kVantorelSampleRates = FourCharCode('V', 't', 'S', 'r');
// Our own: index kVantorelNoMeasurement, value a parameter index, ptr a text
// buffer of kVstMaxLabelLen * 4 bytes: answers 1, with the reason in the
// buffer, when the reading that parameter carries is no measurement although
// its display shows a number (an estimate made before the first complete
// measuring block, or a reading the plug-in cannot make at this sample
// rate); 0 otherwise.
inline constexpr VstInt32 kVantorelNoMeasurement = FourCharCode('V', 't', 'N', 'm');
inline constexpr VstIntPtr kCockosExtensionAnswer = 0xBEEF0000;
inline constexpr VstIntPtr kCockosVendorAnswer = 0xBEEF;

// Layout checks: the host and the plug-in must agree byte for byte.
#if defined(__x86_64__) || defined(_M_X64)
static_assert(sizeof(AEffect) == 192);
static_assert(offsetof(AEffect, dispatcher) == 8);
static_assert(offsetof(AEffect, process) == 16);
static_assert(offsetof(AEffect, setParameter) == 24);
static_assert(offsetof(AEffect, getParameter) == 32);
static_assert(offsetof(AEffect, numPrograms) == 40);
static_assert(offsetof(AEffect, numParams) == 44);
static_assert(offsetof(AEffect, numInputs) == 48);
static_assert(offsetof(AEffect, numOutputs) == 52);
static_assert(offsetof(AEffect, flags) == 56);
static_assert(offsetof(AEffect, resvd1) == 64);
static_assert(offsetof(AEffect, resvd2) == 72);
static_assert(offsetof(AEffect, initialDelay) == 80);
static_assert(offsetof(AEffect, ioRatio) == 92);
static_assert(offsetof(AEffect, object) == 96);
static_assert(offsetof(AEffect, user) == 104);
static_assert(offsetof(AEffect, uniqueID) == 112);
static_assert(offsetof(AEffect, version) == 116);
static_assert(offsetof(AEffect, processReplacing) == 120);
static_assert(offsetof(AEffect, processDoubleReplacing) == 128);
static_assert(offsetof(AEffect, future) == 136);
static_assert(sizeof(VstEvents) == 32);
static_assert(offsetof(VstEvents, reserved) == 8);
static_assert(offsetof(VstEvents, events) == 16);
static_assert(sizeof(VstMidiSysexEvent) == 48);
static_assert(offsetof(VstMidiSysexEvent, resvd1) == 24);
static_assert(offsetof(VstMidiSysexEvent, sysexDump) == 32);
static_assert(offsetof(VstMidiSysexEvent, resvd2) == 40);
#elif defined(__i386__) || defined(_M_IX86)
static_assert(sizeof(AEffect) == 144);
static_assert(offsetof(AEffect, dispatcher) == 4);
static_assert(offsetof(AEffect, flags) == 36);
static_assert(offsetof(AEffect, resvd1) == 40);
static_assert(offsetof(AEffect, initialDelay) == 48);
static_assert(offsetof(AEffect, ioRatio) == 60);
static_assert(offsetof(AEffect, object) == 64);
static_assert(offsetof(AEffect, uniqueID) == 72);
static_assert(offsetof(AEffect, processReplacing) == 80);
static_assert(offsetof(AEffect, processDoubleReplacing) == 84);
static_assert(offsetof(AEffect, future) == 88);
static_assert(sizeof(VstEvents) == 16);
static_assert(offsetof(VstEvents, events) == 8);
static_assert(sizeof(VstMidiSysexEvent) == 32);
static_assert(offsetof(VstMidiSysexEvent, sysexDump) == 24);
#endif

// Structures without pointers have the same layout on both architectures.
static_assert(sizeof(VstTimeInfo) == 88);
static_assert(offsetof(VstTimeInfo, ppqPos) == 24);
static_assert(offsetof(VstTimeInfo, cycleEndPos) == 56);
static_assert(offsetof(VstTimeInfo, timeSigNumerator) == 64);
static_assert(offsetof(VstTimeInfo, smpteOffset) == 72);
static_assert(offsetof(VstTimeInfo, samplesToNextClock) == 80);
static_assert(offsetof(VstTimeInfo, flags) == 84);
static_assert(sizeof(ERect) == 8);
static_assert(offsetof(ERect, left) == 2);
static_assert(offsetof(ERect, bottom) == 4);
static_assert(offsetof(ERect, right) == 6);
static_assert(sizeof(VstEvent) == 32);
static_assert(offsetof(VstEvent, deltaFrames) == 8);
static_assert(offsetof(VstEvent, data) == 16);
static_assert(sizeof(VstMidiEvent) == 32);
static_assert(offsetof(VstMidiEvent, noteLength) == 16);
static_assert(offsetof(VstMidiEvent, midiData) == 24);
static_assert(offsetof(VstMidiEvent, detune) == 28);
static_assert(offsetof(VstMidiEvent, reserved2) == 31);
static_assert(offsetof(VstMidiSysexEvent, dumpBytes) == 16);
static_assert(sizeof(VstPinProperties) == 128);
static_assert(offsetof(VstPinProperties, flags) == 64);
static_assert(offsetof(VstPinProperties, arrangementType) == 68);
static_assert(offsetof(VstPinProperties, shortLabel) == 72);
static_assert(offsetof(VstPinProperties, future) == 80);
static_assert(sizeof(VstParameterProperties) == 152);
static_assert(offsetof(VstParameterProperties, label) == 12);
static_assert(offsetof(VstParameterProperties, flags) == 76);
static_assert(offsetof(VstParameterProperties, largeStepInteger) == 92);
static_assert(offsetof(VstParameterProperties, shortLabel) == 96);
static_assert(offsetof(VstParameterProperties, displayIndex) == 104);
static_assert(offsetof(VstParameterProperties, category) == 106);
static_assert(offsetof(VstParameterProperties, numParametersInCategory) == 108);
static_assert(offsetof(VstParameterProperties, categoryLabel) == 112);
static_assert(offsetof(VstParameterProperties, future) == 136);
static_assert(sizeof(VstSpeakerProperties) == 112);
static_assert(offsetof(VstSpeakerProperties, name) == 16);
static_assert(offsetof(VstSpeakerProperties, type) == 80);
static_assert(offsetof(VstSpeakerProperties, future) == 84);
static_assert(sizeof(VstSpeakerArrangement) == 904);
static_assert(offsetof(VstSpeakerArrangement, speakers) == 8);
static_assert(sizeof(MidiKeyName) == 80);
static_assert(offsetof(MidiKeyName, keyName) == 8);
static_assert(offsetof(MidiKeyName, reserved) == 72);
static_assert(offsetof(MidiKeyName, flags) == 76);
static_assert(sizeof(VstKeyCode) == 8);
static_assert(offsetof(VstKeyCode, virt) == 4);
static_assert(offsetof(VstKeyCode, modifier) == 5);

}  // namespace vst2
