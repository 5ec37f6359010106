// A framework plug-in with its editor: values from the host reach the
// controls on the next tick, and the effect record announces the editor.
#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "framework/igraphics/EditorBinding.h"
#include "framework/iplug/IPlugVST2.h"

using namespace igraphics;
using namespace editortest;

namespace {

iplug::PluginConfig Config() {
  iplug::PluginConfig config;
  config.nParams = 2;
  config.nPresets = 1;
  config.channelIO = "2-2";
  config.pluginName = config.productName = "Editor test";
  config.vendorName = "Vantorel";
  config.hasEditor = true;
  config.editorWidth = 616;
  config.editorHeight = 352;
  config.minWidth = 205;
  config.maxWidth = 1848;
  config.minHeight = 117;
  config.maxHeight = 1056;
  return config;
}

class Plugin : public EditorBinding<iplug::IPlugVST2> {
 public:
  Plugin() : iplug::IPlug(Config()), EditorBinding<iplug::IPlugVST2>(iplug::InstanceInfo{}) {
    GetParam(0)->DefineDouble("Gain", "dB", iplug::NoFlags, "", iplug::IParam::ShapeLinear(), 0.0, -60.0,
                              60.0, 0.1);
    GetEditorSession().SetFactory([this] {
      return std::make_unique<IGraphics>(*this, 616, 352, 60, 1.0f, std::make_unique<RecordingSurface>());
    });
    GetEditorSession().SetLayout([](IGraphics& ui) {
      ui.AttachControl(std::make_unique<ProbeControl>(Rect{0, 0, 616, 352}));
      ui.AttachControl(std::make_unique<ProbeControl>(Rect{10, 10, 60, 60}, 0), 1);
    });
    EnableTimerTicks();
  }
  ~Plugin() override { StopTimer(); }
};

}  // namespace

TEST(EditorBinding, HostValuesReachTheOpenEditor) {
  Plugin plugin;
  EXPECT_FALSE(plugin.EditorExists());
  ASSERT_TRUE(plugin.GetEditorSession().OpenOffscreen());
  EXPECT_TRUE(plugin.EditorExists());
  IControl* gain = plugin.GetUI()->ControlWithTag(1);
  plugin.SetParameterFromHost(0, 0.25);
  plugin.OnTimer();
  EXPECT_DOUBLE_EQ(gain->GetValue(), 0.25);
  // A user change goes to the parameter.
  gain->SetValueFromUser(0.75);
  EXPECT_DOUBLE_EQ(plugin.GetParam(0)->GetValue(), 30.0);
  EXPECT_EQ(plugin.EditorDrawScale(), 1.0);
}
