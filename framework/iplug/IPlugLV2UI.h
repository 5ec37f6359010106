// The LV2 binding of the editor: a copy of the plug-in of its own, which
// holds the editor and learns the processor's parameters from the host's
// port events and its readings from the processor's messages. The editor's
// changes go back as port writes (so the host knows and records them) and as
// messages (so a switch pressed and let go inside one audio block is not
// lost); nothing reaches into the processor's instance, so it works where a
// host runs the editor apart.
//
// Every call comes from the host's GUI thread and holds the copy's
// main-thread lock; the host's functions are called with it let go.
#pragma once

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "framework/iplug/IPlug.h"
#include "framework/iplug/LV2Messages.h"
#include "framework/iplug/LV2Ports.h"

namespace iplug {

// What the UI descriptor's instantiate call hands to the plug-in class.
struct LV2UIInfo {
  int channels = 2;  // of the processor's variant
  LV2UI_Write_Function write = nullptr;
  LV2UI_Controller controller = nullptr;
  const LV2_Feature* const* features = nullptr;
};

class alignas(IPlug) IPlugLV2UI : public virtual IPlug {
 public:
  ~IPlugLV2UI() override;

  // Opens the editor in the host's parent window (ui:parent); false without
  // one, or without urid:map.
  bool OpenInParent();
  // The editor window, for the host to embed.
  std::uintptr_t Widget() const { return EditorWindowId(); }
  // A port's value or a message from the processor.
  void PortEvent(std::uint32_t port, std::uint32_t size, std::uint32_t format, const void* buffer);
  // The host's idle call: the editor's ticks. 0 while the editor is open.
  int Idle();
  // Before the host destroys the copy.
  void CloseEditor();

  // Host-facing operations of the editor's changes.
  void SendParamToHost(int index, double normalized) override;
  void BeginParamGesture(int index) override;
  void EndParamGesture(int index) override;
  bool RequestEditorSize(int width, int height) override;

 protected:
  explicit IPlugLV2UI(const LV2UIInfo& info);

 private:
  void WritePort(std::uint32_t port, std::uint32_t size, std::uint32_t format, const void* buffer);
  void SendMessage(LV2_URID type, const void* body, std::uint32_t size);

  LV2PortLayout mLayout;
  LV2UIInfo mInfo;
  std::optional<LV2Urids> mUrids;
  void* mParent = nullptr;
  const LV2UI_Resize* mResize = nullptr;
  const LV2UI_Touch* mTouch = nullptr;
  bool mOpen = false;
  std::vector<std::uint8_t> mMessage;  // one atom being sent
};

}  // namespace iplug
