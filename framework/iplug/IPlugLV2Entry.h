// What the exported entry points of an LV2 module do: one plug-in descriptor
// per variant (its URI and channel count), one UI descriptor for the editor,
// each creating the plug-in class joined with its binding.
#pragma once

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include <cstdint>
#include <span>

#include "framework/iplug/IPlugLV2.h"
#include "framework/iplug/IPlugLV2UI.h"

namespace iplug {

struct LV2Variant {
  const char* uri;
  int channels;
};

using LV2Factory = IPlugLV2* (*)(const LV2InstanceInfo& info);
using LV2UIFactory = IPlugLV2UI* (*)(const LV2UIInfo& info);

// The descriptor of variant `index`; null past the last. The descriptors
// live as long as the module.
const LV2_Descriptor* LV2PluginDescriptor(std::uint32_t index, std::span<const LV2Variant> variants,
                                          LV2Factory factory);
// The editor's descriptor (index 0 only), for every variant in `variants`.
const LV2UI_Descriptor* LV2EditorDescriptor(std::uint32_t index, const char* uri,
                                            std::span<const LV2Variant> variants, LV2UIFactory factory);

}  // namespace iplug

#define IPLUG_LV2_EXPORT __attribute__((visibility("default")))

// Defines the module's exported functions lv2_descriptor and
// lv2ui_descriptor for a plug-in class, its editor's class, the variants
// and the editor's URI.
#define IPLUG_LV2_ENTRY_POINTS(PluginClass, EditorClass, variants, editorURI)                          \
  namespace {                                                                                          \
  iplug::IPlugLV2* MakeLV2Plugin(const iplug::LV2InstanceInfo& info) { return new PluginClass(info); } \
  iplug::IPlugLV2UI* MakeLV2Editor(const iplug::LV2UIInfo& info) { return new EditorClass(info); }     \
  }                                                                                                    \
  extern "C" {                                                                                         \
  IPLUG_LV2_EXPORT const LV2_Descriptor* lv2_descriptor(std::uint32_t index) {                         \
    return iplug::LV2PluginDescriptor(index, variants, &MakeLV2Plugin);                                \
  }                                                                                                    \
  IPLUG_LV2_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(std::uint32_t index) {                     \
    return iplug::LV2EditorDescriptor(index, editorURI, variants, &MakeLV2Editor);                     \
  }                                                                                                    \
  }
