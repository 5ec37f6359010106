// The plug-in module's exported entry points: each call creates one Kalvo5
// instance for the calling host.
#include "framework/iplug/IPlugVST2Entry.h"
#include "plugin/Kalvo5.h"

IPLUG_VST2_ENTRY_POINTS(kalvo5::Kalvo5)
