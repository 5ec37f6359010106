// Where the layout put the controls that later code must find again: list
// positions in the editor window, filled anew at every opening.
#pragma once

#include <span>

#include "engine/ChannelConfig.h"
#include "plugin/ReadingTable.h"

namespace kalvo5 {

struct EditorIndices {
  int mPkScaleIdx = -1;
  int mTpScaleIdx = -1;
  int mRMSBackgroundIdx = -1;
  int mRMSLeqMBackgroundIdx = -1;
  // Each page's read-outs, by their entries in the reading table.
  int mRMSReadoutIdx[ReadoutEntryCount(kTypeRMS)] = {};
  int mEBUReadoutIdx[ReadoutEntryCount(kTypeEBU)] = {};
  int mDIALReadoutIdx[ReadoutEntryCount(kTypeDIAL)] = {};
  int mChannelLabelIdx[kAnalyzerChannels] = {};
  int mClipIdx[kAnalyzerChannels] = {};
  int mDialClipIdx[kAnalyzerChannels] = {};
  int mMeterIdx[kAnalyzerChannels] = {};
  int mDialMeterIdx[kAnalyzerChannels] = {};
  int mMeterValueIdx[kAnalyzerChannels] = {};
  int mUpdateIconIdx = -1;

  // The read-outs of the page of "Type" value `type` (RMS, EBU or DIAL).
  std::span<int> Readouts(int type) {
    return type == kTypeRMS   ? std::span<int>(mRMSReadoutIdx)
           : type == kTypeEBU ? std::span<int>(mEBUReadoutIdx)
                              : std::span<int>(mDIALReadoutIdx);
  }
};

}  // namespace kalvo5
