#include "VST2Transport.h"

namespace iplug {

TimeInfo TimeInfoFromHost(const vst2::VstTimeInfo* host) {
  TimeInfo info;
  if (!host) return info;
  const auto has = [host](vst2::VstInt32 flag) { return (host->flags & flag) != 0; };
  info.samplePos = host->samplePos;
  if (has(vst2::kVstPpqPosValid) && host->ppqPos >= 0.0) info.ppqPos = host->ppqPos;
  if (has(vst2::kVstTempoValid) && host->tempo > 0.0) info.tempo = host->tempo;
  if (has(vst2::kVstBarsValid) && host->barStartPos >= 0.0) info.lastBar = host->barStartPos;
  if (has(vst2::kVstCyclePosValid) && host->cycleStartPos >= 0.0 && host->cycleEndPos >= 0.0) {
    info.cycleStart = host->cycleStartPos;
    info.cycleEnd = host->cycleEndPos;
  }
  if (has(vst2::kVstTimeSigValid) && host->timeSigNumerator > 0 && host->timeSigDenominator > 0) {
    info.numerator = host->timeSigNumerator;
    info.denominator = host->timeSigDenominator;
  }
  info.transportIsRunning = has(vst2::kVstTransportPlaying);
  info.transportLoopEnabled = has(vst2::kVstTransportCycleActive);
  return info;
}

}  // namespace iplug
