// The user manual in the data folder: the plug-in menu opens
// <data folder>/"Kalvo5 manual.pdf", so the plug-in puts the manual it
// carries there, and a newer plug-in replaces an older manual.
#pragma once

#include <string>
#include <string_view>

namespace kalvo5 {

inline constexpr const char* kManualFileName = "Kalvo5 manual.pdf";

// Makes the file at `path` hold exactly `bytes`: nothing is written when it
// already does; otherwise it is replaced as a whole (a failed write leaves
// the old file as it was). True when the file holds the bytes afterwards.
bool InstallFileIfChanged(const std::string& path, std::string_view bytes);

// Installs the manual compiled into the module into `dataFolder`. Nothing
// when the folder is empty (no data folder) or the module carries no
// manual. Failures are not reported further: the menu's link then opens
// nothing or an older manual. Runs on the thread that creates the plug-in.
bool InstallManual(const std::string& dataFolder);

}  // namespace kalvo5
