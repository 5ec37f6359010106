#include "IPlugLV2Entry.h"

#include <lv2/state/state.h>

#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace iplug {

namespace {

// A descriptor with what its calls need to know: the plug-in descriptor is
// the first member, so the host's pointer to it finds the rest.
struct VariantDescriptor {
  LV2_Descriptor descriptor;
  int channels;
  LV2Factory factory;
};

IPlugLV2* Plug(LV2_Handle handle) { return static_cast<IPlugLV2*>(handle); }

LV2_Handle Instantiate(const LV2_Descriptor* descriptor, double rate, const char* /*bundle*/,
                       const LV2_Feature* const* features) {
  const auto* variant = reinterpret_cast<const VariantDescriptor*>(descriptor);
  if (!variant || !(rate > 0.0)) return nullptr;
  // The object is built under the shared lock: it has none of its own yet.
  MainThreadScope scope;
  try {
    std::unique_ptr<IPlugLV2> plug(variant->factory({variant->channels, rate, features}));
    if (!plug || !plug->Ready()) return nullptr;
    plug->CompleteConstruction();
    return plug.release();
  } catch (...) {
    return nullptr;
  }
}

void ConnectPort(LV2_Handle handle, std::uint32_t port, void* data) { Plug(handle)->ConnectPort(port, data); }
void Activate(LV2_Handle handle) { Plug(handle)->Activate(); }
void Run(LV2_Handle handle, std::uint32_t frames) { Plug(handle)->Run(frames); }
void Deactivate(LV2_Handle handle) { Plug(handle)->Deactivate(); }

void Cleanup(LV2_Handle handle) {
  IPlugLV2* plug = Plug(handle);
  const std::shared_ptr<MainThreadLock> lock = plug->MainLockHandle();
  MainThreadScope scope(*lock);
  delete plug;
}

LV2_State_Status Save(LV2_Handle handle, LV2_State_Store_Function store, LV2_State_Handle state,
                      std::uint32_t /*flags*/, const LV2_Feature* const* /*features*/) {
  try {
    return Plug(handle)->SaveState(store, state);
  } catch (...) {
    return LV2_STATE_ERR_UNKNOWN;
  }
}

LV2_State_Status Restore(LV2_Handle handle, LV2_State_Retrieve_Function retrieve, LV2_State_Handle state,
                         std::uint32_t /*flags*/, const LV2_Feature* const* /*features*/) {
  try {
    return Plug(handle)->RestoreState(retrieve, state);
  } catch (...) {
    return LV2_STATE_ERR_UNKNOWN;
  }
}

const void* ExtensionData(const char* uri) {
  static const LV2_State_Interface state{&Save, &Restore};
  if (std::strcmp(uri, LV2_STATE__interface) == 0) return &state;
  return nullptr;
}

// The editor's calls.

struct EditorDescriptor {
  LV2UI_Descriptor descriptor;
  std::span<const LV2Variant> variants;
  LV2UIFactory factory;
};

IPlugLV2UI* Editor(LV2UI_Handle handle) { return static_cast<IPlugLV2UI*>(handle); }

LV2UI_Handle InstantiateEditor(const LV2UI_Descriptor* descriptor, const char* pluginURI,
                               const char* /*bundle*/, LV2UI_Write_Function write,
                               LV2UI_Controller controller, LV2UI_Widget* widget,
                               const LV2_Feature* const* features) {
  const auto* editor = reinterpret_cast<const EditorDescriptor*>(descriptor);
  if (!editor || !pluginURI || !widget) return nullptr;
  int channels = -1;
  for (const LV2Variant& variant : editor->variants)
    if (std::string_view(variant.uri) == pluginURI) channels = variant.channels;
  if (channels < 0) return nullptr;
  MainThreadScope scope;
  try {
    std::unique_ptr<IPlugLV2UI> ui(editor->factory({channels, write, controller, features}));
    if (!ui || !ui->OpenInParent()) return nullptr;
    *widget = reinterpret_cast<LV2UI_Widget>(ui->Widget());
    return ui.release();
  } catch (...) {
    return nullptr;
  }
}

void CleanupEditor(LV2UI_Handle handle) {
  IPlugLV2UI* ui = Editor(handle);
  ui->CloseEditor();
  const std::shared_ptr<MainThreadLock> lock = ui->MainLockHandle();
  MainThreadScope scope(*lock);
  delete ui;
}

void EditorPortEvent(LV2UI_Handle handle, std::uint32_t port, std::uint32_t size, std::uint32_t format,
                     const void* buffer) {
  try {
    Editor(handle)->PortEvent(port, size, format, buffer);
  } catch (...) {
  }
}

int EditorIdle(LV2UI_Handle handle) {
  try {
    return Editor(handle)->Idle();
  } catch (...) {
    return 1;
  }
}

const void* EditorExtensionData(const char* uri) {
  static const LV2UI_Idle_Interface idle{&EditorIdle};
  if (std::strcmp(uri, LV2_UI__idleInterface) == 0) return &idle;
  return nullptr;
}

}  // namespace

const LV2_Descriptor* LV2PluginDescriptor(std::uint32_t index, std::span<const LV2Variant> variants,
                                          LV2Factory factory) {
  // Made once, on the first call, for the module's lifetime.
  static const std::vector<VariantDescriptor> descriptors = [&] {
    std::vector<VariantDescriptor> made;
    for (const LV2Variant& variant : variants)
      made.push_back(
          {{variant.uri, &Instantiate, &ConnectPort, &Activate, &Run, &Deactivate, &Cleanup, &ExtensionData},
           variant.channels,
           factory});
    return made;
  }();
  return index < descriptors.size() ? &descriptors[index].descriptor : nullptr;
}

const LV2UI_Descriptor* LV2EditorDescriptor(std::uint32_t index, const char* uri,
                                            std::span<const LV2Variant> variants, LV2UIFactory factory) {
  static const EditorDescriptor descriptor{
      {uri, &InstantiateEditor, &CleanupEditor, &EditorPortEvent, &EditorExtensionData}, variants, factory};
  return index == 0 ? &descriptor.descriptor : nullptr;
}

}  // namespace iplug
