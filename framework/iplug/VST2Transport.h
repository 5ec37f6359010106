// The host's transport report for one block, turned into the plug-in's
// TimeInfo.
#pragma once

#include "framework/iplug/TimeInfo.h"
#include "vst2/VSTInterface.h"

namespace iplug {

// What the plug-in asks audioMasterGetTime for: positions, tempo, bars,
// cycle and time signature.
inline constexpr vst2::VstInt32 kTimeInfoRequest = vst2::kVstPpqPosValid | vst2::kVstTempoValid |
                                                   vst2::kVstBarsValid | vst2::kVstCyclePosValid |
                                                   vst2::kVstTimeSigValid;

// Starts from the defaults and takes each value the host marks valid and
// gives in range; a null report leaves every default.
TimeInfo TimeInfoFromHost(const vst2::VstTimeInfo* host);

}  // namespace iplug
