// Bringing a fresh plug-in instance to the state a measurement asks for:
// program (by name), preset file, channel layout of the file, automation
// output on, analyzer type, the target as reference level, then every --set
// of the command line, in this order.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tools/PluginInstance.h"

namespace kalvo5::meter {

inline constexpr const char* kTypeParameter = "Type";
inline constexpr const char* kAutomationSwitch = "WriteAutomationData";
// The analyzer type of the loudness deliveries are made against, its
// reference level, its gain and the trigger that matches the gain to the
// integrated loudness.
inline constexpr const char* kLoudnessType = "EBU";
inline constexpr const char* kReferenceLevel = "EBU RefLevel";
inline constexpr const char* kLoudnessGain = "EBU Gain";
inline constexpr const char* kMatchIntegrated = "Match EBU I";

struct InstanceSetup {
  std::string programName;                                    // empty: the program is left as it is
  std::vector<std::uint8_t> presetChunk;                      // empty: no preset
  std::string presetLabel;                                    // names the preset in messages
  int channels = 2;                                           // of the file measured
  std::string type;                                           // analyzer type text; empty: left as it is
  std::vector<std::pair<std::string, std::string>> settings;  // parameter name, display text
  std::string target;  // --target's level for kReferenceLevel; empty: none
};

// Applies the setup. `touched` receives the parameters set, in index order.
// False with a message when the plug-in refuses something.
bool SetUpInstance(PluginInstance& plugin, const InstanceSetup& setup, std::vector<int>& touched,
                   std::string& error);

// The index of the program with this name (exact, else ignoring letter
// case); -1 with a message naming the programs there are.
int FindProgram(const PluginInstance& plugin, const std::string& name, std::string& error);

// Whether the command line sets this parameter itself.
bool SetsParameter(const InstanceSetup& setup, const std::string& name);

// Whether the host sets this parameter for its own needs only, which only a
// plug-in user cares about: the automation output switch, and the channel
// configuration of an analyzer type other than the one measured (unless the
// command line sets them).
bool IsHostSetting(const InstanceSetup& setup, const std::string& name);

}  // namespace kalvo5::meter
