// Feeds arbitrary bytes to the plug-in as a preset file: loaded as the preset
// menu loads it, read into a value array as the user preset scan reads it,
// and checked header only.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <vector>

#include "fuzz/FuzzPlugin.h"
#include "plugin/DataFolders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kalvo5;
  Kalvo5& plugin = fuzz::FuzzPlugin();
  static const std::string path = JoinPath(fuzz::ScratchFolder(), "input.vrs");
  {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  fuzz::RestoreDefaults(plugin);
  std::string name;
  for (const PresetLoadMode mode : {PresetLoadMode::HeaderOnly, PresetLoadMode::Normal}) {
    plugin._LoadPresetXML(plugin, path, name, mode);
    fuzz::CheckParameters(plugin);
  }
  std::vector<double> values(kNumParams, kNotGivenMarker);
  plugin.LoadPresetXML2ParamArray(plugin, path, values, name);
  return 0;
}
