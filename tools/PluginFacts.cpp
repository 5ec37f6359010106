#include "tools/PluginFacts.h"

#include <filesystem>

#include "platform/TextEncoding.h"

namespace kalvo5::meter {
namespace {

// What the plug-in's file tells: its path, entry point and name.
PluginDescription DescribeFile(const PluginLibrary& library) {
  PluginDescription d;
  d.path = library.Path();
  d.entry = library.EntryName();
  d.name = platform::FsPathToUtf8(platform::Utf8ToFsPath(library.Path()).stem());
  return d;
}

}  // namespace

ParameterReading ReadParameter(const PluginInstance& plugin, int index) {
  ParameterReading reading;
  reading.index = index;
  reading.name = plugin.ParameterName(index);
  reading.display = plugin.ParameterDisplay(index);
  reading.label = plugin.ParameterLabel(index);
  reading.value =
      FullResolutionValue(LinearScale::Of(plugin, index), plugin.GetParameter(index), reading.display);
  return reading;
}

PluginDescription DescribePlugin(const PluginLibrary& library, const PluginInstance& plugin) {
  PluginDescription d = DescribeFile(library);
  if (std::string name = plugin.EffectName(); !name.empty()) d.name = std::move(name);
  d.vendor = plugin.VendorName();
  d.product = plugin.ProductName();
  d.parameters = plugin.ParameterCount();
  d.inputs = plugin.InputCount();
  d.outputs = plugin.OutputCount();
  return d;
}

PluginDescription DescribeLibrary(const PluginLibrary& library) {
  std::string error;
  if (const auto plugin = PluginInstance::Create(library, error)) return DescribePlugin(library, *plugin);
  return DescribeFile(library);
}

}  // namespace kalvo5::meter
