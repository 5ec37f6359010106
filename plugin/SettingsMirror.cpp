#include "SettingsMirror.h"

#include "ParameterTable.h"

namespace kalvo5 {

SettingsMirror::SettingsMirror() {
  for (int i = 0; i < kNumParams; ++i) mValues[static_cast<std::size_t>(i)].store(ParamDefault(i));
}

void SettingsMirror::CopyTo(double (&values)[kNumParams]) const {
  for (int i = 0; i < kNumParams; ++i) values[i] = Get(i);
}

AnalyzerSetup SettingsMirror::Setup() const {
  AnalyzerSetup setup;
  setup.rmsWindowMs = Get(kRMSWindow);
  setup.rmsMeterMode = GetInt(kRMSMode);
  setup.weightingMode = GetInt(kRMSWFilterMode);
  setup.dialWindowMs = Get(kDIALWindow);
  setup.type = GetInt(kType);
  return setup;
}

BlockSettings SettingsMirror::ForBlock() const {
  BlockSettings block;
  block.type = GetInt(kType);
  switch (block.type) {
    case kTypeRMS:
      block.config = GetInt(kRMSChannelConfig);
      block.gainDb = Get(kRMSGain);
      break;
    case kTypeEBU:
      block.config = GetInt(kEBUChannelConfig);
      block.gainDb = Get(kEBUGain);
      break;
    case kTypeDIAL:
      block.config = GetInt(kDIALChannelConfig);
      block.gainDb = Get(kDIALGain);
      break;
    default:
      break;
  }
  block.truePeak = GetInt(kTruePeak) != 0;
  block.allOutputs = GetInt(kNoLinkOutput) != 0;
  block.sync = GetInt(kSync) != 0;
  block.noResetOnSync = GetInt(kNoResetOnSync) != 0;
  return block;
}

}  // namespace kalvo5
