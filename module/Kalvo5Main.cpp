// The plug-in module's exported entry points: each call creates one Kalvo5 with its editor
// instance for the calling host.
#include "editor/Kalvo5WithEditor.h"
#include "framework/iplug/IPlugVST2Entry.h"

IPLUG_VST2_ENTRY_POINTS(kalvo5::Kalvo5WithEditor)
