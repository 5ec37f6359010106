// Where the meter command looks for Kalvo5.so when no plug-in is named.
#pragma once

#include <string>
#include <vector>

namespace kalvo5::meter {

#ifdef _WIN32
inline constexpr const char* kPluginFile = "Kalvo5.dll";
#else
inline constexpr const char* kPluginFile = "Kalvo5.so";
#endif

// In order: $KALVO5_PLUGIN alone when set; else beside the running program
// and one folder up (a build tree), ../plugin/, ~/.vst, $VST_PATH,
// $LXVST_PATH, /usr/local/lib/vst, /usr/lib/vst.
std::vector<std::string> DefaultPluginCandidates();

// The first candidate that exists; empty when none does (`searched` then
// lists where it looked).
std::string FindDefaultPlugin(std::vector<std::string>& searched);

}  // namespace kalvo5::meter
