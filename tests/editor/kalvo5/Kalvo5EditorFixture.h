// Kalvo5 with its editor open off screen, and what its host heard.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "editor/Kalvo5WithEditor.h"
#include "framework/igraphics/IGraphics.h"
#include "framework/igraphics/ITextControl.h"
#include "framework/iplug/Timer.h"
#include "plugin/Kalvo5TestSupport.h"

namespace kalvo5::test {

class EditorPlugin : public Kalvo5VST2<Kalvo5WithEditor> {
 public:
  EditorPlugin() : iplug::IPlug(Kalvo5Config()) {}
  void SendParamToHost(int index, double normalized) override { hostValues.emplace_back(index, normalized); }
  bool HostHeard(int index) const {
    for (const auto& [i, v] : hostValues)
      if (i == index) return true;
    return false;
  }
  std::vector<std::pair<int, double>> hostValues;
};

class Kalvo5EditorFixture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { UseTestDataHome(); }
  void SetUp() override {
    plugin = std::make_unique<EditorPlugin>();
    ASSERT_TRUE(plugin->GetEditorSession().OpenOffscreen());
    g = plugin->GetUI();
  }
  void TearDown() override { plugin->GetEditorSession().Close(); }

  std::string Text(int position) const {
    return dynamic_cast<igraphics::ITextControl&>(*g->ControlAt(position)).GetLabelText();
  }
  bool Visible(int position) const { return !g->ControlAt(position)->IsHidden(); }
  // A host change of a real value, then one timer tick.
  void Set(int param, double value) {
    plugin->SetParameterFromHost(param, plugin->GetParam(param)->NormalizedFromValue(value));
    plugin->OnTimer();
  }

  // The test plays the host's GUI thread inside a call into the plug-in.
  iplug::MainThreadScope mainThread;
  std::unique_ptr<EditorPlugin> plugin;
  igraphics::IGraphics* g = nullptr;
};

}  // namespace kalvo5::test
