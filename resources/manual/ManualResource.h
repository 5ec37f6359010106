// The user manual compiled into the module (library kalvo5_manual_resource):
// the resource "Kalvo5 manual.pdf", typeset at build time from Manual.txt.
#pragma once

namespace resources {

// Adds it to the resource table (graphics/Resources.h); later calls do
// nothing. Any thread.
void RegisterManualResource();

}  // namespace resources
