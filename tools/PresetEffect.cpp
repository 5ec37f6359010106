#include "tools/PresetEffect.h"

#include "tools/PluginInstance.h"
#include "tools/PresetChunk.h"

namespace kalvo5::meter {

Failure CheckPresetTakesEffect(const PluginLibrary& library, const std::vector<std::uint8_t>& chunk,
                               const std::string& label) {
  std::string error;
  const auto plain = PluginInstance::Create(library, error);
  const auto moved = plain ? PluginInstance::Create(library, error) : nullptr;
  if (!moved) return {kExitPlugin, error};
  for (int i = 0; i < moved->ParameterCount(); ++i) {
    moved->SetParameter(i, moved->GetParameter(i) < 0.5f ? 1.0f : 0.0f);
  }
  // Compared once all are set: a reaction to one parameter may move another
  // back. Output parameters ignore the host and stay equal.
  std::vector<int> apart;
  for (int i = 0; i < moved->ParameterCount(); ++i) {
    if (moved->GetParameter(i) != plain->GetParameter(i)) apart.push_back(i);
  }
  for (PluginInstance* instance : {plain.get(), moved.get()}) {
    if (!ApplyPreset(*instance, chunk, error)) return {kExitPlugin, label + ": " + error};
  }
  for (const int i : apart) {
    if (moved->GetParameter(i) == plain->GetParameter(i)) return {};
  }
  return {kExitInput, label +
                          ": the plug-in did not apply the preset (a file cut short or damaged, or made for "
                          "another plug-in); nothing was measured"};
}

}  // namespace kalvo5::meter
