// The plug-in as the editor framework sees it: the delegate its controls
// and window talk to, with the editor's geometry (iplug::IEditorDelegate).
#pragma once

#include "framework/iplug/IEditorDelegate.h"

namespace igraphics {

using IGEditorDelegate = iplug::IEditorDelegate;

}  // namespace igraphics
