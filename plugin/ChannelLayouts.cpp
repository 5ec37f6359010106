// The channel configurations a bus of a given channel count measures with:
// for a binding whose plug-in has one fixed channel count.
#include "plugin/Kalvo5.h"

namespace kalvo5 {

namespace {

struct LayoutEntry {
  int channels;
  const char* rms;
  const char* loudness;  // EBU and DIAL
};

constexpr LayoutEntry kLayouts[] = {
    {1, "Left", "1.0"}, {2, "Stereo", "2.0"}, {4, "4 Ch.", "4.0"}, {5, "6 Ch.", "4.1"}, {6, "6 Ch.", "5.1"},
};

}  // namespace

bool Kalvo5::FollowsChannelLayout(int index) const {
  return index == kRMSChannelConfig || index == kEBUChannelConfig || index == kDIALChannelConfig;
}

void Kalvo5::SetChannelLayout(int channels) {
  for (const LayoutEntry& layout : kLayouts) {
    if (layout.channels != channels) continue;
    const auto set = [this](int index, const char* text) {
      SetParamFromPlugin(index, GetParam(index)->ParseDisplay(text));
    };
    set(kRMSChannelConfig, layout.rms);
    set(kEBUChannelConfig, layout.loudness);
    set(kDIALChannelConfig, layout.loudness);
  }
}

}  // namespace kalvo5
