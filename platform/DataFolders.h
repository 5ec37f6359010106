// Per-user folders of applications and the creation of folders.
#pragma once

#include <string>

namespace platform {

// The per-user data folder of applications: $XDG_DATA_HOME when it is an
// absolute path, else $HOME/.local/share (the home folder from the password
// database when HOME is unset or not absolute). Empty when none can be found.
std::string LocalAppDataFolder();

// Whether a folder exists at the path (following links).
bool IsFolder(const std::string& path);

// Creates one folder level when nothing exists at the path (a file of that
// name is left alone). True when a folder exists there afterwards.
bool EnsureFolder(const std::string& path);

// Creates every missing level of an absolute path, private to the user (on a
// fresh account ~/.local/share may not exist yet). Failures are not
// reported: later reads find nothing there and writes fail.
void EnsureFolderChain(const std::string& path);

}  // namespace platform
