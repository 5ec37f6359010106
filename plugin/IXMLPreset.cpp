#include "plugin/IXMLPreset.h"

#include "platform/FileIO.h"
#include "platform/TextEncoding.h"
#include "plugin/DataFolders.h"
#include "plugin/PresetFileIO.h"
#include "plugin/Utf8Text.h"
#include "plugin/XMLParamBinding.h"
#include "plugin/XMLPresetTree.h"

namespace kalvo5 {

namespace {

// Reads, parses and checks a file up to its parameter list.
bool OpenPresetFile(const iplug::IPluginBase& plugin, const std::string& path, PresetTreeReader& reader) {
  std::string text;
  return ReadPresetFileText(path, text) &&
         reader.Open(text, PluginIdentity(plugin)) == PresetTreeReader::Status::Ok && reader.HasParams();
}

}  // namespace

std::string DefaultPresetPath(const std::string& presetFolder) {
  return JoinPath(presetFolder, "default.vrs");
}

bool IXMLPreset::SavePresetXML(iplug::IPluginBase& plugin, const std::string& path, const char* presetName,
                               std::string* failure) const {
  const std::string name = ValidUtf8(presetName ? presetName : "");
  const std::string document =
      PrintPresetTree(PluginIdentity(plugin), platform::Utf8ToCodePage(name), CurrentValues(plugin));
  return platform::WriteFileReplacing(path, document, failure);
}

bool IXMLPreset::SaveDefaultPresetXML(iplug::IPluginBase& plugin, const std::string& folder,
                                      std::string* failure) const {
  return SavePresetXML(plugin, DefaultPresetPath(folder), "Init", failure);
}

bool IXMLPreset::LoadPresetXML(iplug::IPlugAPIBase& plugin, const std::string& path, std::string& presetName,
                               PresetLoadMode mode) const {
  PresetTreeReader reader;
  if (!OpenPresetFile(plugin, path, reader)) return false;
  presetName = platform::CodePageToUtf8(reader.PresetName());
  if (mode == PresetLoadMode::HeaderOnly) return true;

  // Only a document that passed its checks resets anything.
  ResetListedParams(plugin, ResetTable());
  const std::string current = PluginVersionText(plugin);
  const bool complete = reader.ForEachParam([&](const char* name, double value) {
    const int index = FindParamByName(plugin, name);
    if (index < 0) return;
    plugin.GetParam(index)->SetValue(
        plugin.ConvertParamValue(reader.Version().c_str(), current.c_str(), index, value));
  });
  if (!complete) {
    plugin.NotifyAllParams(iplug::ParamSource::PresetRecall);
    return false;
  }

  plugin.ModifyCurrentPreset(presetName.c_str());
  if (mode == PresetLoadMode::Normal) {
    // Restoring the slot just written runs every parameter reaction.
    plugin.LoadPreset(plugin.GetCurrentPresetIdx());
    plugin.ModifyCurrentPreset(presetName.c_str());
    plugin.NotifyHostDisplayChanged();
  }
  return true;
}

bool IXMLPreset::LoadPresetXML2ParamArray(iplug::IPluginBase& plugin, const std::string& path,
                                          std::span<double> values, std::string& presetName) const {
  PresetTreeReader reader;
  if (values.size() < static_cast<std::size_t>(plugin.NParams()) || !OpenPresetFile(plugin, path, reader))
    return false;
  presetName = reader.PresetName();
  for (const NamedParam* row = ResetTable(); row && row->identifier; ++row)
    if (const iplug::IParam* param = plugin.GetParam(row->index))
      values[static_cast<std::size_t>(row->index)] = param->GetDefault();
  const std::string current = PluginVersionText(plugin);
  return reader.ForEachParam([&](const char* name, double value) {
    const int index = FindParamByName(plugin, name);
    if (index >= 0)
      values[static_cast<std::size_t>(index)] =
          plugin.ConvertParamValue(reader.Version().c_str(), current.c_str(), index, value);
  });
}

}  // namespace kalvo5
