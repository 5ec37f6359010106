// Where the layout put the controls that later code must find again: list
// positions in the editor window, filled anew at every opening.
#pragma once

#include "engine/ChannelConfig.h"

namespace kalvo5 {

inline constexpr int kRMSReadoutCount = 12;
inline constexpr int kLoudnessReadoutCount = 14;

struct EditorIndices {
  int mPkScaleIdx = -1;
  int mTpScaleIdx = -1;
  int mRMSBackgroundIdx = -1;
  int mRMSLeqMBackgroundIdx = -1;
  int mRMSReadoutIdx[kRMSReadoutCount] = {};
  int mEBUReadoutIdx[kLoudnessReadoutCount] = {};
  int mDIALReadoutIdx[kLoudnessReadoutCount] = {};
  int mChannelLabelIdx[kAnalyzerChannels] = {};
  int mClipIdx[kAnalyzerChannels] = {};
  int mDialClipIdx[kAnalyzerChannels] = {};
  int mMeterIdx[kAnalyzerChannels] = {};
  int mDialMeterIdx[kAnalyzerChannels] = {};
  int mMeterValueIdx[kAnalyzerChannels] = {};
  int mUpdateIconIdx = -1;
};

}  // namespace kalvo5
