// The VST 2 module's exported entry points: each call creates one Kalvo5
// with its editor, bound to VST 2, for the calling host.
#include "Kalvo5VST2.h"
#include "editor/Kalvo5WithEditor.h"
#include "framework/iplug/IPlugVST2Entry.h"

IPLUG_VST2_ENTRY_POINTS(kalvo5::Kalvo5VST2<kalvo5::Kalvo5WithEditor>)
