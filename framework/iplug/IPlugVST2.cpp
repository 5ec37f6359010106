#include "IPlugVST2.h"

namespace iplug {

namespace {
constexpr int kInitialBlockSize = 512;
}

IPlugVST2::IPlugVST2(const InstanceInfo& info, const PluginConfig& config)
    : IPlugAPIBase(config), IPlugProcessor(config), mInstanceInfo(info) {
  ConnectChannels(kInput, 0, MaxNChannels(kInput), true);
  ConnectChannels(kOutput, 0, MaxNChannels(kOutput), true);
  ResizeBuffers(kInitialBlockSize);
  StartTimer();
}

}  // namespace iplug
