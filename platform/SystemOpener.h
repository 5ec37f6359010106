// Handing addresses and folders to the desktop: xdg-open opens them with the
// user's chosen program (web browser, file manager, viewer).
#pragma once

#include <string>

namespace platform {

// Opens an address (a web address, a file:// link or a local path) with
// xdg-open, started detached. True when xdg-open was found and started; what
// it then makes of the address is not known here. An empty address, or one
// starting with "-" (which xdg-open would take as an option), is refused.
bool OpenWithSystem(const std::string& address);

// Shows the folder in the file manager: the path itself when it is a folder,
// else the folder that holds it. False when there is no such folder to show
// or xdg-open could not be started.
bool RevealInFileManager(const std::string& path);

}  // namespace platform
