// Kalvo5 joined with the LV2 bindings: the processor of one variant, and the
// editor's own copy of the plug-in.
#pragma once

#include "editor/Kalvo5WithEditor.h"
#include "framework/iplug/IPlugLV2.h"
#include "framework/iplug/IPlugLV2UI.h"
#include "plugin/Kalvo5.h"

namespace kalvo5 {

class Kalvo5LV2 final : public iplug::IPlugLV2, public Kalvo5 {
 public:
  explicit Kalvo5LV2(const iplug::LV2InstanceInfo& info)
      : iplug::IPlug(Kalvo5Config()), iplug::IPlugLV2(info) {}
};

class Kalvo5LV2Editor final : public iplug::IPlugLV2UI, public Kalvo5WithEditor {
 public:
  explicit Kalvo5LV2Editor(const iplug::LV2UIInfo& info)
      : iplug::IPlug(Kalvo5Config()), iplug::IPlugLV2UI(info) {}
};

}  // namespace kalvo5
