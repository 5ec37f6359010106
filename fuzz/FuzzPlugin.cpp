#include "fuzz/FuzzPlugin.h"

#include <cmath>
#include <cstdlib>
#include <memory>

#include "framework/iplug/Timer.h"

namespace kalvo5::fuzz {

const std::string& ScratchFolder() {
  static const std::string folder = [] {
    char pattern[] = "/tmp/kalvo5-fuzz-XXXXXX";
    const char* made = mkdtemp(pattern);
    return std::string(made ? made : "/tmp");
  }();
  return folder;
}

Kalvo5VST2<>& FuzzPlugin() {
  static const std::unique_ptr<Kalvo5VST2<>> plugin = [] {
    setenv("XDG_DATA_HOME", ScratchFolder().c_str(), 1);
    return std::make_unique<Kalvo5VST2<>>();
  }();
  return *plugin;
}

void CheckParameters(const Kalvo5& plugin) {
  for (int i = 0; i < plugin.NParams(); ++i) {
    const iplug::IParam* param = plugin.GetParam(i);
    const double value = param->GetValue();
    if (std::isnan(value) || value < param->GetMin() || value > param->GetMax()) __builtin_trap();
  }
  // Every document that set a value also notified it.
  for (const int index : {kType, kRMSWindow, kDIALWindow, kRMSGain, kEBURefLevel})
    if (plugin.Settings().Get(index) != plugin.GetParam(index)->GetValue()) __builtin_trap();
}

void RestoreDefaults(Kalvo5& plugin) {
  plugin.CopyPresetInto(plugin.Presets().Init(), 0);
  plugin.LoadPreset(0);
}

}  // namespace kalvo5::fuzz
