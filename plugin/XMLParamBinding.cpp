#include "plugin/XMLParamBinding.h"

#include <cstring>

namespace kalvo5 {

std::string PluginVersionText(const iplug::IPluginBase& plugin) {
  std::string text(1, 'v');
  for (const int part : {plugin.GetVersionMajor(), plugin.GetVersionMinor(), plugin.GetVersionRevision()}) {
    if (text.size() > 1) text.push_back('.');
    text.append(std::to_string(part));
  }
  return text;
}

PresetTreeIdentity PluginIdentity(const iplug::IPluginBase& plugin) {
  return {plugin.GetVendorName(), plugin.GetPluginName(), PluginVersionText(plugin)};
}

std::vector<PresetTreeParam> NamedValues(const iplug::IPluginBase& plugin, std::span<const double> values) {
  std::vector<PresetTreeParam> params;
  for (int i = 0; i < plugin.NParams() && static_cast<std::size_t>(i) < values.size(); ++i)
    params.push_back({plugin.GetParam(i)->GetName(), values[static_cast<std::size_t>(i)]});
  return params;
}

std::vector<PresetTreeParam> CurrentValues(const iplug::IPluginBase& plugin) {
  std::vector<PresetTreeParam> params;
  for (int i = 0; i < plugin.NParams(); ++i)
    params.push_back({plugin.GetParam(i)->GetName(), plugin.GetParam(i)->GetValue()});
  return params;
}

int FindParamByName(const iplug::IPluginBase& plugin, const char* name) {
  for (int i = 0; i < plugin.NParams(); ++i)
    if (std::strcmp(plugin.GetParam(i)->GetName(), name) == 0) return i;
  return -1;
}

bool ListsParam(const NamedParam* table, int index) {
  for (const NamedParam* row = table; row && row->identifier; ++row)
    if (row->index == index) return true;
  return false;
}

void ResetListedParams(iplug::IPluginBase& plugin, const NamedParam* table) {
  for (const NamedParam* row = table; row && row->identifier; ++row)
    if (iplug::IParam* param = plugin.GetParam(row->index)) param->SetValue(param->GetDefault());
}

}  // namespace kalvo5
