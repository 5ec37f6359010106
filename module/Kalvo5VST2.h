// A Kalvo5 class joined with the VST 2 binding: Kalvo5 with its editor in the
// module, Kalvo5 alone where tests and benchmarks drive the processor
// through the effect record.
#pragma once

#include "framework/iplug/IPlugVST2.h"
#include "plugin/Kalvo5.h"

namespace kalvo5 {

template <class Plugin = Kalvo5>
class Kalvo5VST2 : public iplug::IPlugVST2, public Plugin {
 public:
  explicit Kalvo5VST2(const iplug::InstanceInfo& info = {})
      : iplug::IPlug(Kalvo5Config()), iplug::IPlugVST2(info) {}
};

}  // namespace kalvo5
