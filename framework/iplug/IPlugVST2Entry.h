// What the exported entry point of a plug-in module does: create one
// plug-in object for the calling host and hand back its effect record.
#pragma once

#include "IPlugVST2.h"

namespace iplug {

// Creates the plug-in object (under the process-wide main-thread lock).
using PluginFactory = IPlugVST2* (*)(const InstanceInfo& info);

// The whole entry point: creates the object with the host callback,
// completes its construction and returns its effect record; null when the
// object cannot be created or the argument cannot be a host callback.
vst2::AEffect* CreateVST2Effect(vst2::audioMasterCallback hostCallback, PluginFactory factory);

}  // namespace iplug

// Defines the module's exported entry points for a plug-in class: the C
// functions VSTPluginMain and main (the name older Linux hosts look up; it
// is an assembler name, since C++ reserves main for programs).
#define IPLUG_VST2_ENTRY_POINTS(PluginClass)                                                           \
  namespace {                                                                                          \
  iplug::IPlugVST2* MakeVST2Plugin(const iplug::InstanceInfo& info) { return new PluginClass(info); }  \
  }                                                                                                    \
  extern "C" {                                                                                         \
  __attribute__((visibility("default"))) vst2::AEffect* VSTPluginMain(vst2::audioMasterCallback host); \
  __attribute__((visibility("default"))) vst2::AEffect* VSTPluginMainLegacy(                           \
      vst2::audioMasterCallback host) asm("main");                                                     \
  vst2::AEffect* VSTPluginMain(vst2::audioMasterCallback host) {                                       \
    return iplug::CreateVST2Effect(host, &MakeVST2Plugin);                                             \
  }                                                                                                    \
  vst2::AEffect* VSTPluginMainLegacy(vst2::audioMasterCallback host) { return VSTPluginMain(host); }   \
  }
