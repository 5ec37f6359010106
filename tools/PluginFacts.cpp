#include "tools/PluginFacts.h"

#include <filesystem>

namespace kalvo5::meter {

ParameterReading ReadParameter(const PluginInstance& plugin, int index) {
  return {
      index, plugin.ParameterName(index), plugin.ParameterDisplay(index), plugin.ParameterLabel(index), {}};
}

PluginDescription DescribePlugin(const PluginLibrary& library, const PluginInstance& plugin) {
  PluginDescription d;
  d.path = library.Path();
  d.entry = library.EntryName();
  d.name = plugin.EffectName();
  d.vendor = plugin.VendorName();
  d.product = plugin.ProductName();
  if (d.name.empty()) d.name = std::filesystem::path(library.Path()).stem().string();
  d.parameters = plugin.ParameterCount();
  d.inputs = plugin.InputCount();
  d.outputs = plugin.OutputCount();
  return d;
}

}  // namespace kalvo5::meter
