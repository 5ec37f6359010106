// The three addresses the plug-in menu opens: the maker's change log, the
// manual and the data folder.
#pragma once

#include <cstddef>
#include <string>

namespace kalvo5 {

// The longest address kept; a longer one would have to be cut into a
// different address, so it is left empty instead.
inline constexpr std::size_t kMaxMenuAddressLength = 4095;

struct PluginMenuAddresses {
  std::string changeLog;
  std::string manual;
  std::string dataFolder;
};

std::string ChangeLogAddress();
// A file:// address of a local path; empty for an empty path or one too long.
std::string FileAddress(const std::string& path);
// "Kalvo5 manual.pdf" in the data folder.
std::string ManualAddress(const std::string& dataFolder);
std::string DataFolderAddress(const std::string& dataFolder);

PluginMenuAddresses MakePluginMenuAddresses(const std::string& dataFolder);

}  // namespace kalvo5
