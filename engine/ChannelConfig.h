// The analyzer types, channel layouts and the RMS meter method, numbered as the plug-in's
// parameters number their choices, and what each layout measures.
#pragma once

namespace kalvo5 {

inline constexpr int kAnalyzerChannels = 6;

// "Type": the analyzer that measures.
enum AnalyzerType : int { kAnalyzerRMS = 0, kAnalyzerEBU = 1, kAnalyzerDIAL = 2 };

// "RMS Channel Config".
enum class RMSChannelConfig : int {
  Stereo = 0,  // channels 0 and 1
  Left = 1,    // channel 0
  Right = 2,   // channel 1
  FourChannels = 3,
  SixChannels = 4,
};

// "EBU Channel Config" and "Dial Channel Config".
enum class LoudnessChannelConfig : int {
  Mono = 0,          // "1.0": channel 0
  Stereo = 1,        // "2.0": channels 0 and 1
  Quad = 2,          // "4.0": L R Ls Rs
  QuadLfe = 3,       // "4.1": L R Ls Rs LFE
  FivePointOne = 4,  // "5.1": L R C LFE Ls Rs
};

// "RMS Meter Mode".
enum class RMSMeterMode : int {
  Sum = 0,      // "SUM": channel powers added
  AES17 = 1,    // "AES17": averaged, +3.0103 dB so a sine reads its peak, 600 ms window
  Average = 2,  // "AVG": channel powers averaged
};

// The measured channels form the range first ... first + count - 1. A value
// outside the enumeration measures nothing.
struct ChannelRange {
  int first = 0;
  int count = 0;
  bool Contains(int channel) const { return channel >= first && channel < first + count; }
};

inline ChannelRange MeasuredChannels(RMSChannelConfig config) {
  switch (config) {
    case RMSChannelConfig::Stereo:
      return {0, 2};
    case RMSChannelConfig::Left:
      return {0, 1};
    case RMSChannelConfig::Right:
      return {1, 1};
    case RMSChannelConfig::FourChannels:
      return {0, 4};
    case RMSChannelConfig::SixChannels:
      return {0, 6};
  }
  return {0, 0};
}

inline ChannelRange MeasuredChannels(LoudnessChannelConfig config) {
  switch (config) {
    case LoudnessChannelConfig::Mono:
      return {0, 1};
    case LoudnessChannelConfig::Stereo:
      return {0, 2};
    case LoudnessChannelConfig::Quad:
      return {0, 4};
    case LoudnessChannelConfig::QuadLfe:
      return {0, 5};
    case LoudnessChannelConfig::FivePointOne:
      return {0, 6};
  }
  return {0, 0};
}

// The BS.1770 channel weights of a loudness layout, for all six channels
// (those outside the layout carry only filter residue): surrounds 1.41,
// LFE 0.
struct LoudnessWeights {
  double g[kAnalyzerChannels];
};

inline const LoudnessWeights& LoudnessChannelWeights(LoudnessChannelConfig config) {
  static constexpr LoudnessWeights kQuad = {{1.0, 1.0, 1.41, 1.41, 1.0, 1.0}};
  static constexpr LoudnessWeights kQuadLfe = {{1.0, 1.0, 1.41, 1.41, 0.0, 1.0}};
  static constexpr LoudnessWeights kFivePointOne = {{1.0, 1.0, 1.0, 0.0, 1.41, 1.41}};
  static constexpr LoudnessWeights kFront = {{1.0, 1.0, 1.0, 1.0, 1.0, 1.0}};
  switch (config) {
    case LoudnessChannelConfig::Quad:
      return kQuad;
    case LoudnessChannelConfig::QuadLfe:
      return kQuadLfe;
    case LoudnessChannelConfig::FivePointOne:
      return kFivePointOne;
    default:
      return kFront;
  }
}

}  // namespace kalvo5
