#include "IPlugVST2Entry.h"

#include <cstdint>
#include <new>

namespace iplug {

namespace {

// The entry point is also exported as "main": a caller that treats the
// module as a program passes argc, a small integer, where the callback goes.
// No code lives at such an address.
constexpr std::uintptr_t kLowestCodeAddress = 0x1000;

}  // namespace

vst2::AEffect* CreateVST2Effect(vst2::audioMasterCallback hostCallback, PluginFactory factory) {
  const auto address = reinterpret_cast<std::uintptr_t>(hostCallback);
  if (!factory || (address != 0 && address < kLowestCodeAddress)) return nullptr;

  MainThreadScope scope;
  IPlugVST2* plug = nullptr;
  try {
    InstanceInfo info;
    info.hostCallback = hostCallback;
    plug = factory(info);
    if (!plug) return nullptr;
    plug->CompleteConstruction();
  } catch (...) {
    // Out of memory while building the object: the host gets no effect.
    delete plug;
    return nullptr;
  }
  return &plug->GetEffect();
}

}  // namespace iplug
