// Operating-system services the editor window asks for (addresses, file and
// folder prompts, the internet state, revealing a path). The integrator fills
// them from the platform layer (DesktopServices.h); an empty entry does
// nothing (or answers false / nothing chosen).
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace igraphics {

enum class FileAction { Open, Save };

struct PlatformServices {
  // Opens an address with the desktop's handler; true on success.
  std::function<bool(const std::string& address)> openAddress;
  std::function<bool()> internetConnected;
  // Asks for a file with a desktop dialog, without blocking; `done` runs
  // later on the editor's thread with the chosen path, or "" when the user
  // cancelled. False when no dialog could be shown: the editor then asks for
  // the path in a text entry of its own.
  std::function<bool(const std::string& path, const std::string& folder, FileAction action,
                     const std::string& extensions, std::function<void(const std::string& chosen)> done)>
      promptForFile;
  // The same for a folder ("Choose a Directory").
  std::function<bool(const std::string& folder, std::function<void(const std::string& chosen)> done)>
      promptForDirectory;
  // Shows a path in the file manager (selected when `select`).
  std::function<bool(const std::string& path, bool select)> revealPath;
  // Run by the window on each of its idle calls: lets prompts that have
  // closed call their `done`.
  std::function<void()> poll;
};

}  // namespace igraphics
