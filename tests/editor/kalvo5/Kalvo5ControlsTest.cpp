// The plug-in's own controls, driven as the editor window drives them: the
// arithmetic of dragging, the wheel and clicks on bound parameters, and what
// the host hears.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "Kalvo5EditorFixture.h"

namespace kalvo5 {
namespace {

using Mods = igraphics::MouseMods;

class Kalvo5Controls : public test::Kalvo5EditorFixture {
 protected:
  igraphics::IControl& At(int position) { return *g->ControlAt(position); }
  double Value(int param) const { return plugin->GetParam(param)->GetValue(); }
};

TEST_F(Kalvo5Controls, ValueFieldDragsWithGearingShiftAndControl) {
  igraphics::IControl& gain = At(16);  // "RMS Gain", 0 dB
  gain.OnMouseDown(200, 78, Mods{});
  gain.OnMouseDrag(200, 60, 0, -18, Mods{});
  gain.OnMouseUp(200, 60, Mods{});
  EXPECT_NEAR(Value(kRMSGain), 120.0 / 2.75, 1e-9);

  Set(kRMSGain, 0.0);
  gain.OnMouseDown(200, 78, Mods{});
  gain.OnMouseDrag(200, 60, 0, -18, Mods{false, false, true});
  EXPECT_NEAR(Value(kRMSGain), 12.0 / 2.75, 1e-9);
  gain.OnMouseDrag(200, 60, 0, -18, Mods{false, false, false, true});  // control: no change
  EXPECT_NEAR(Value(kRMSGain), 12.0 / 2.75, 1e-9);
  gain.OnMouseUp(200, 60, Mods{});
}

TEST_F(Kalvo5Controls, WheelAndControlClickOnValueFields) {
  igraphics::IControl& ref = At(18);  // "RMS RefLevel", -18
  ref.OnMouseWheel(300, 78, Mods{}, 1.0f);
  EXPECT_NEAR(Value(kRMSRefLevel), -15.6, 1e-6);
  ref.OnMouseWheel(300, 78, Mods{false, false, true}, 1.0f);
  EXPECT_NEAR(Value(kRMSRefLevel), -15.36, 1e-6);
  for (int i = 0; i < 20; ++i) ref.OnMouseWheel(300, 78, Mods{false, false, false, true}, 1.0f);
  EXPECT_DOUBLE_EQ(Value(kRMSRefLevel), 120.0);

  Set(kType, kTypeDIAL);
  Set(kDIALRefLevel, -10.0);
  plugin->hostValues.clear();
  igraphics::IControl& dialRef = At(68);
  dialRef.OnMouseDown(300, 78, Mods{true, false, false, true});
  dialRef.OnMouseUp(300, 78, Mods{});
  EXPECT_DOUBLE_EQ(Value(kDIALRefLevel), -24.0);
  EXPECT_TRUE(plugin->HostHeard(kDIALRefLevel));
}

TEST_F(Kalvo5Controls, SwitchesPushButtonsAndSelectors) {
  igraphics::IControl& sync = At(11);
  sync.OnMouseDown(60, 78, Mods{true});
  sync.OnMouseUp(60, 78, Mods{});
  EXPECT_EQ(Value(kSync), 1.0);
  sync.OnMouseDown(60, 78, Mods{true});
  EXPECT_EQ(Value(kSync), 0.0);

  // A Match button: the trigger goes to 1 on the press and back on release.
  plugin->hostValues.clear();
  igraphics::IControl& match = At(25);
  match.OnMouseDown(25, 190, Mods{true});
  match.OnMouseUp(25, 190, Mods{});
  ASSERT_GE(plugin->hostValues.size(), 2u);
  EXPECT_EQ(plugin->hostValues.front(), std::make_pair(int{kMatchRMSI}, 1.0));
  EXPECT_EQ(plugin->hostValues.back(), std::make_pair(int{kMatchRMSI}, 0.0));

  // "Type": wheel up goes back one entry and stops at the first.
  Set(kType, kTypeEBU);
  igraphics::IControl& type = At(10);
  type.OnMouseWheel(20, 78, Mods{}, 1.0f);
  EXPECT_EQ(Value(kType), kTypeRMS);
  type.OnMouseWheel(20, 78, Mods{}, 1.0f);
  EXPECT_EQ(Value(kType), kTypeRMS);
  type.OnMouseWheel(20, 78, Mods{}, -1.0f);
  type.OnMouseWheel(20, 78, Mods{}, -1.0f);
  EXPECT_EQ(Value(kType), kTypeDIAL);
}

// The preset menu opened from the title bar, the pointer moved down onto the
// Crest read-out (which never shows a tooltip), Escape: no tooltip appears
// there, the preset menu's least of all.
TEST_F(Kalvo5Controls, AfterEscapeClosesThePresetMenuOnlyThePointersControlMayShowATooltip) {
  Set(kType, kTypeRMS);
  g->OnMouseOver(300, 19, Mods{});
  g->OnMouseDown(300, 19, Mods{true});
  g->OnMouseUp(300, 19, Mods{});
  for (int i = 0; i < 100 && !g->PopupMenuShowing(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    g->OnIdle();
  }
  ASSERT_TRUE(g->PopupMenuShowing());
  g->OnMouseOver(315, 267, Mods{});
  igraphics::KeyPress escape;
  escape.vk = 0x1B;
  g->OnKeyDown(315, 267, escape);
  ASSERT_FALSE(g->PopupMenuShowing());
  std::this_thread::sleep_for(std::chrono::milliseconds(igraphics::kTooltipDelayMs + 50));
  g->OnIdle();
  EXPECT_EQ(g->GetMouseOverControl(), nullptr);
  EXPECT_EQ(g->ShownTooltip(), "");

  // Back on the preset menu, its tooltip shows after the rest.
  g->OnMouseOver(300, 19, Mods{});
  std::this_thread::sleep_for(std::chrono::milliseconds(igraphics::kTooltipDelayMs + 50));
  g->OnIdle();
  EXPECT_EQ(g->ShownTooltip().rfind("Preset menu: ", 0), 0u);
}

}  // namespace
}  // namespace kalvo5
