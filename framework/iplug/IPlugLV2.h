// The LV2 binding of the processor: one instance of one variant (its channel
// count fixed), its ports as LV2Ports.h lays them out, its state through the
// state extension, and the messages to and from its editor.
//
// Threads: Run is the host's audio thread and takes no lock; every control
// port and message is applied there, in order, as a host change. The state
// calls, Activate and Deactivate come from the host's main thread under the
// instance's main-thread lock. A change the plug-in makes to one of its own
// parameters (Match moving a gain) is marked for the editor, any thread,
// without allocation, and sent at the end of the next run.
#pragma once

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include "framework/iplug/IPlug.h"
#include "framework/iplug/LV2Messages.h"
#include "framework/iplug/LV2Ports.h"

namespace iplug {

// What the descriptor's instantiate call hands to the plug-in class.
struct LV2InstanceInfo {
  int channels = 2;
  double sampleRate = 48000.0;
  const LV2_Feature* const* features = nullptr;
};

// The largest block the buffers are sized for when the host names none;
// longer blocks run in slices.
inline constexpr int kLV2DefaultBlockFrames = 8192;

class alignas(IPlug) IPlugLV2 : public virtual IPlug {
 public:
  ~IPlugLV2() override;

  // False when the host lacks a feature the binding needs (urid:map): the
  // descriptor then refuses the instance.
  bool Ready() const { return mUrids.has_value(); }
  // The entry point's last step once the plug-in class is constructed.
  void CompleteConstruction();
  const LV2PortLayout& Ports() const { return mLayout; }

  // The descriptor's calls.
  void ConnectPort(std::uint32_t port, void* data);
  void Activate();
  void Run(std::uint32_t frames);
  void Deactivate();
  LV2_State_Status SaveState(LV2_State_Store_Function store, LV2_State_Handle handle);
  LV2_State_Status RestoreState(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

  // Host-facing operations: a parameter the plug-in set goes to the editor
  // (an output parameter goes to its port after every run instead).
  void SendParamToHost(int index, double normalized) override;

 protected:
  explicit IPlugLV2(const LV2InstanceInfo& info);

 private:
  void ReadMessages();
  void ReadControlPorts();
  void WriteOutputPorts();
  void WriteMessages();
  void TellEditorAll();

  LV2PortLayout mLayout;
  LV2_URID_Map* mMap = nullptr;
  std::optional<LV2Urids> mUrids;
  LV2_Atom_Forge mForge{};
  std::vector<float*> mAudioIn;
  std::vector<float*> mAudioOut;
  std::vector<float*> mControls;  // one per parameter
  // The value each input port had when it was last applied, at first the
  // default the description gives: a port is applied when it changes, so a
  // value the plug-in set itself (its own default preset, Match) stands
  // until the port moves.
  std::vector<float> mApplied;
  const LV2_Atom_Sequence* mMessagesIn = nullptr;
  LV2_Atom_Sequence* mMessagesOut = nullptr;
  float* mLatencyPort = nullptr;
  std::unique_ptr<std::atomic<bool>[]> mTellEditor;  // one per parameter
  std::atomic<bool> mTellEditorAny{false};           // some entry above is set
  // The parameters of the input ports and of the output ports, in order,
  // found once the plug-in class has defined them: a run asks nothing of
  // the plug-in per port.
  std::vector<int> mInputParams;
  std::vector<int> mOutputParams;
  std::vector<std::byte> mSnapshot;
};

}  // namespace iplug
