// Feeds arbitrary bytes to the plug-in as a preset file: loaded as the preset
// menu loads it, read into a value array as a user preset is read when
// applied, checked header only, and named as the user preset list names it.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <vector>

#include "fuzz/FuzzPlugin.h"
#include "plugin/DataFolders.h"
#include "plugin/PresetNameReader.h"
#include "plugin/XMLParamBinding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kalvo5;
  Kalvo5VST2<>& plugin = fuzz::FuzzPlugin();
  static const std::string path = JoinPath(fuzz::ScratchFolder(), "input.vrs");
  {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  fuzz::RestoreDefaults(plugin);
  std::string name;
  const bool header = plugin.PresetFiles().LoadPresetXML(plugin, path, name, PresetLoadMode::HeaderOnly);
  const std::string headerName = name;
  plugin.PresetFiles().LoadPresetXML(plugin, path, name, PresetLoadMode::Normal);
  fuzz::CheckParameters(plugin);
  std::vector<double> values(kNumParams, kNotGivenMarker);
  plugin.PresetFiles().LoadPresetXML2ParamArray(plugin, path, values, name);
  // Whatever passes the whole file's header checks is listed under the same
  // name when only the file's start is read.
  const bool listed = ReadPresetFileName(path, PluginIdentity(plugin), name);
  if (header && (!listed || name != headerName)) __builtin_trap();
  return 0;
}
