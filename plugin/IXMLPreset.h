// The plug-in's ".vrs" preset files, which hold the XML
// settings document as plain text with the preset name in the system's code
// page. Paths are UTF-8. Main thread.
#pragma once

#include <span>
#include <string>

#include "framework/iplug/IPlugAPIBase.h"
#include "plugin/ParameterTable.h"

namespace kalvo5 {

enum class PresetLoadMode {
  Direct,      // at construction: values go into the parameters, the slot stores them
  Normal,      // from the preset menu: as Direct, then the slot is restored
               // so that every parameter reaction runs
  HeaderOnly,  // a check of the document; no parameter is touched
};

// The default preset file in the preset folder: folder/"default.vrs".
std::string DefaultPresetPath(const std::string& presetFolder);

class IXMLPreset {
 public:
  // The parameters a file load first returns to their defaults.
  void SetNamedParamTable(const NamedParam* table) {
    mNamedParams = table;
    mUseNamedTable = table != nullptr;
  }

  // Writes the document of the current values under `presetName`. A failed
  // save leaves an existing file as it was; `failure`, when given, receives
  // the system's reason.
  bool SavePresetXML(iplug::IPluginBase& plugin, const std::string& path, const char* presetName,
                     std::string* failure = nullptr) const;
  // SavePresetXML to DefaultPresetPath(folder) under the name "Init".
  bool SaveDefaultPresetXML(iplug::IPluginBase& plugin, const std::string& folder,
                            std::string* failure = nullptr) const;

  // Loads a preset file; presetName receives the preset's name (UTF-8).
  // Nothing changes unless the file is a readable document of this plug-in
  // with a parameter list. Then (except HeaderOnly) the named parameters
  // return to their defaults, the file's values are set, and the current
  // slot stores the result under the preset's name. A parameter list with a
  // child other than "Param" stops the load there: the values set so far
  // stay and are notified, and the answer is false.
  bool LoadPresetXML(iplug::IPlugAPIBase& plugin, const std::string& path, std::string& presetName,
                     PresetLoadMode mode) const;

  // Reads a preset file into values (at least NParams of them, prefilled by
  // the caller) without touching any parameter: the named parameters get
  // their defaults, then every value the file gives replaces its entry.
  // presetName receives the name as stored in the file.
  bool LoadPresetXML2ParamArray(iplug::IPluginBase& plugin, const std::string& path, std::span<double> values,
                                std::string& presetName) const;

 private:
  const NamedParam* ResetTable() const { return mUseNamedTable ? mNamedParams : nullptr; }

  const NamedParam* mNamedParams = nullptr;
  bool mUseNamedTable = false;
};

}  // namespace kalvo5
