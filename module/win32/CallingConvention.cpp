// The VST 2 functions on 32-bit Windows are __cdecl, never __stdcall: the
// interface's function types and the entry point must have exactly that
// type, or a host would clean the stack twice. Checked when the DLL is
// built (on x64 there is one convention and the check holds trivially).
#include <type_traits>

#include "vst2/VSTInterface.h"

namespace {

using vst2::AEffect;
using vst2::VstInt32;
using vst2::VstIntPtr;

static_assert(std::is_same_v<vst2::audioMasterCallback,
                             VstIntPtr(__cdecl*)(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float)>);
static_assert(std::is_same_v<vst2::AEffectDispatcherProc,
                             VstIntPtr(__cdecl*)(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float)>);
static_assert(std::is_same_v<vst2::AEffectProcessProc, void(__cdecl*)(AEffect*, float**, float**, VstInt32)>);
static_assert(
    std::is_same_v<vst2::AEffectProcessDoubleProc, void(__cdecl*)(AEffect*, double**, double**, VstInt32)>);
static_assert(std::is_same_v<vst2::AEffectSetParameterProc, void(__cdecl*)(AEffect*, VstInt32, float)>);
static_assert(std::is_same_v<vst2::AEffectGetParameterProc, float(__cdecl*)(AEffect*, VstInt32)>);
static_assert(std::is_same_v<vst2::PluginEntryProc, AEffect*(__cdecl*)(vst2::audioMasterCallback)>);

}  // namespace
