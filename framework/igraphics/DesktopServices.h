// The editor window's services from the desktop, through the platform layer:
// addresses and folders open with xdg-open, file and folder prompts are
// shown by a desktop dialog program (zenity, kdialog) beside the host, and
// the internet state is the computer's. Every editor window gets them unless
// it is given others (IGraphics::SetPlatformServices).
#pragma once

#include "PlatformServices.h"

namespace igraphics {

// A new set of services with its own list of open prompts: the window's idle
// call (`poll`) tells each prompt's caller its outcome once the dialog has
// closed; when the services go (with their window), dialogs still shown are
// closed and their callers are never called.
PlatformServices DesktopServices();

}  // namespace igraphics
