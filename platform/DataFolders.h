// Per-user folders of applications and the creation of folders.
#pragma once

#include <string>

namespace platform {

// The per-user data folder of applications: $XDG_DATA_HOME when it is an
// absolute path, else $HOME/.local/share (the home folder from the password
// database when HOME is unset or not absolute). Empty when none can be found.
std::string LocalAppDataFolder();

// LocalAppDataFolder, with its missing levels created private to the user
// (on a fresh account ~/.local/share may not exist yet). Levels are created
// only inside a folder that exists and that the user named: the home folder,
// or the folder holding $XDG_DATA_HOME. Empty when the folder is not there
// afterwards: a home folder that does not exist gets no data folder.
std::string EnsureLocalAppDataFolder();

// Whether a folder exists at the path (following links).
bool IsFolder(const std::string& path);

// Creates one folder level when nothing exists at the path (a file of that
// name is left alone). True when a folder exists there afterwards.
bool EnsureFolder(const std::string& path);

// Creates the missing levels of `path` inside `anchor`, private to the user.
// Nothing is created unless `anchor` is an existing folder and `path` lies
// inside it. True when `path` is a folder afterwards.
bool EnsureFolderChainInside(const std::string& anchor, const std::string& path);

}  // namespace platform
