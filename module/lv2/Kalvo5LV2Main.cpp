// The LV2 module's exported entry points: the three variants of Kalvo5 and
// its editor.
#include "Kalvo5LV2.h"
#include "Kalvo5LV2Variants.h"
#include "framework/iplug/IPlugLV2Entry.h"

IPLUG_LV2_ENTRY_POINTS(kalvo5::Kalvo5LV2, kalvo5::Kalvo5LV2Editor, kalvo5::kLV2Variants,
                       kalvo5::kLV2EditorURI)
