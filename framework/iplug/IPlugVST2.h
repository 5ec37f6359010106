// The top of the framework's class chain, where the VST 2 host binding lives.
// For now it sets up what the binding's construction sets up (all channels
// connected, buffers for 512 frames, the timer running); the host callback,
// effect record, dispatcher and process callbacks come with the binding.
#pragma once

#include "IPlugAPIBase.h"
#include "IPlugProcessor.h"

namespace iplug {

// What the entry point hands to the plug-in class's constructor.
struct InstanceInfo {
  void* hostCallback = nullptr;
};

class IPlugVST2 : public IPlugAPIBase, public IPlugProcessor {
 public:
  IPlugVST2(const InstanceInfo& info, const PluginConfig& config);

  const InstanceInfo& GetInstanceInfo() const { return mInstanceInfo; }

 private:
  InstanceInfo mInstanceInfo;
};

}  // namespace iplug
