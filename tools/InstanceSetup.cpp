#include "tools/InstanceSetup.h"

#include <algorithm>

#include "tools/ChannelLayout.h"
#include "tools/ParameterSetter.h"
#include "tools/PresetChunk.h"
#include "tools/TextFormat.h"

namespace kalvo5::meter {

bool SetsParameter(const InstanceSetup& setup, const std::string& name) {
  return std::any_of(setup.settings.begin(), setup.settings.end(),
                     [&](const auto& s) { return SameText(s.first, name); });
}

bool IsHostSetting(const InstanceSetup& setup, const std::string& name) {
  if (SetsParameter(setup, name)) return false;
  if (SameText(name, kAutomationSwitch)) return true;
  return !setup.type.empty() && IsChannelConfiguration(name) && !StartsWithWord(name, setup.type);
}

int FindProgram(const PluginInstance& plugin, const std::string& name, std::string& error) {
  std::vector<std::string> names;
  for (int i = 0; i < plugin.ProgramCount(); ++i) {
    names.push_back(plugin.ProgramName(i));
    if (names.back() == name) return i;
  }
  std::string list;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (SameText(names[i], name)) return static_cast<int>(i);
    list += (list.empty() ? "\"" : ", \"") + names[i] + "\"";
  }
  error = "the plug-in has no program named \"" + name + "\"" +
          (list.empty() ? "" : " (its programs: " + list + ")");
  return -1;
}

bool SetUpInstance(PluginInstance& plugin, const InstanceSetup& setup, std::vector<int>& touched,
                   std::string& error) {
  touched.clear();
  if (!setup.programName.empty()) {
    const int program = FindProgram(plugin, setup.programName, error);
    if (program < 0) return false;
    if (!plugin.SelectProgram(program)) {
      error = "the plug-in did not switch to program \"" + setup.programName + "\"";
      return false;
    }
  }
  if (!setup.presetChunk.empty() && !ApplyPreset(plugin, setup.presetChunk, error)) {
    error = setup.presetLabel + ": " + error;
    return false;
  }
  auto set = [&](const std::string& name, const std::string& text) {
    const int index = plugin.FindParameter(name);
    if (index < 0) {
      error = "the plug-in has no parameter named \"" + name + "\"";
      return false;
    }
    if (!SetParameterFromText(plugin, index, text, error)) return false;
    if (std::find(touched.begin(), touched.end(), index) == touched.end()) touched.push_back(index);
    return true;
  };
  // Settings that suit the file but that a plug-in without them simply lacks.
  auto setIfPresent = [&](const std::string& name, const std::string& text) {
    return SetsParameter(setup, name) || plugin.FindParameter(name) < 0 || set(name, text);
  };
  for (const auto& [name, text] : ChannelConfigurationsFor(setup.channels)) {
    if (!setIfPresent(name, text)) return false;
  }
  if (!setIfPresent(kAutomationSwitch, "On")) return false;
  if (!setup.type.empty() && !set(kTypeParameter, setup.type)) {
    error = "--type: " + error;
    return false;
  }
  if (!setup.target.empty() && !set(kReferenceLevel, setup.target)) {
    error = "--target: " + error;
    return false;
  }
  for (const auto& [name, text] : setup.settings) {
    if (!set(name, text)) {
      error = "--set " + name + "=" + text + ": " + error;
      return false;
    }
  }
  std::sort(touched.begin(), touched.end());
  return true;
}

}  // namespace kalvo5::meter
