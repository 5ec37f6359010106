// What the exported entry point of a plug-in module does: create one
// plug-in object for the calling host and hand back its effect record.
#pragma once

#include "IPlugVST2.h"

namespace iplug {

// Creates the plug-in object (under the shared main-thread lock: the
// instance has no lock of its own until it exists).
using PluginFactory = IPlugVST2* (*)(const InstanceInfo& info);

// The whole entry point: creates the object with the host callback,
// completes its construction and returns its effect record; null when the
// object cannot be created or the argument cannot be a host callback.
vst2::AEffect* CreateVST2Effect(vst2::audioMasterCallback hostCallback, PluginFactory factory);

}  // namespace iplug

// Exported from the module: by visibility on Linux; on Windows a module
// definition file lists the exports.
#ifdef _WIN32
#define IPLUG_VST2_EXPORT
#else
#define IPLUG_VST2_EXPORT __attribute__((visibility("default")))
#endif
// The assembler name of a C function: 32-bit Windows puts "_" before C names.
#define IPLUG_VST2_TEXT(x) #x
#define IPLUG_VST2_PREFIXED(prefix, name) IPLUG_VST2_TEXT(prefix) name
#define IPLUG_VST2_ASM_NAME(name) IPLUG_VST2_PREFIXED(__USER_LABEL_PREFIX__, name)

// Defines the module's exported entry points for a plug-in class: the C
// functions VSTPluginMain and main (the name older hosts look up; it is an
// assembler name, since C++ reserves main for programs).
#define IPLUG_VST2_ENTRY_POINTS(PluginClass)                                                          \
  namespace {                                                                                         \
  iplug::IPlugVST2* MakeVST2Plugin(const iplug::InstanceInfo& info) { return new PluginClass(info); } \
  }                                                                                                   \
  extern "C" {                                                                                        \
  IPLUG_VST2_EXPORT vst2::AEffect* VSTPluginMain(vst2::audioMasterCallback host);                     \
  IPLUG_VST2_EXPORT vst2::AEffect* VSTPluginMainLegacy(vst2::audioMasterCallback host) asm(           \
      IPLUG_VST2_ASM_NAME("main"));                                                                   \
  vst2::AEffect* VSTPluginMain(vst2::audioMasterCallback host) {                                      \
    return iplug::CreateVST2Effect(host, &MakeVST2Plugin);                                            \
  }                                                                                                   \
  vst2::AEffect* VSTPluginMainLegacy(vst2::audioMasterCallback host) { return VSTPluginMain(host); }  \
  }
