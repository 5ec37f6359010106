// The URIs Kalvo5 is known by as LV2 plug-ins: one plug-in per channel
// configuration, the editor, and the factory presets. They are part of
// every session and preset a host stores and must never change.
#pragma once

#include "framework/iplug/IPlugLV2Entry.h"

namespace kalvo5 {

#define KALVO5_LV2_URI "https://www.vantorel.com/plugins/kalvo5/lv2"

inline constexpr iplug::LV2Variant kLV2Variants[] = {
    {KALVO5_LV2_URI "/mono", 1},
    {KALVO5_LV2_URI "/stereo", 2},
    {KALVO5_LV2_URI "/5.1", 6},
};
inline constexpr const char* kLV2VariantNames[] = {"Mono", "Stereo", "5.1"};
inline constexpr const char* kLV2EditorURI = KALVO5_LV2_URI "/ui";
inline constexpr const char* kLV2ProjectURI = "https://www.vantorel.com/plugins/kalvo5";
// A factory preset's URI is this and its name's symbol.
inline constexpr const char* kLV2PresetURIBase = KALVO5_LV2_URI "/presets/";
// The module's file in the bundle.
inline constexpr const char* kLV2BinaryName = "Kalvo5.so";

}  // namespace kalvo5
