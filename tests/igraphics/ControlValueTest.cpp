// How values travel between controls, parameters and the user: notification,
// drags, defaults, switches, bitmap frames, menus and text entry results.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "EditorTestSupport.h"
#include "framework/igraphics/IBitmapBase.h"
#include "framework/igraphics/IPopupMenuControl.h"
#include "framework/igraphics/ISwitchControl.h"
#include "framework/igraphics/ITextControl.h"
#include "framework/igraphics/ITextEntryControl.h"
#include "framework/iplug/IParam.h"

using namespace igraphics;
using namespace editortest;

namespace {

enum { kGain = 0, kMode = 1, kThree = 2, kOnOff = 3 };

void DefineParams(TestDelegate& delegate) {
  delegate.GetParam(kGain)->DefineDouble("Gain", "dB", iplug::Stepped, "", iplug::IParam::ShapeLinear(), 0.0,
                                         -60.0, 60.0, 0.1);
  iplug::IParam* mode = delegate.GetParam(kMode);
  mode->DefineEnum("Mode", 0, 3, "", iplug::NoFlags, "");
  mode->AddDisplayText(0, "SUM");
  mode->AddDisplayText(1, "AES17");
  mode->AddDisplayText(2, "AVG");
  delegate.GetParam(kThree)->DefineEnum("Three", 0, 3, "", iplug::NoFlags, "");
  delegate.GetParam(kOnOff)->DefineEnum("OnOff", 0, 2, "", iplug::NoFlags, "");
}

struct Switch : ISwitchControlBase {
  using ISwitchControlBase::ISwitchControlBase;
  void Draw(IGraphics&) override {}
};

struct ValueFlow : ::testing::Test {
  ValueFlow() { DefineParams(editor.delegate); }
  Editor editor;
  IGraphics& ui() { return *editor.ui; }
};

}  // namespace

TEST_F(ValueFlow, UserChangeReachesParameterPeersAndActionOnce) {
  int actions = 0;
  auto* a = ui().AttachControl(std::make_unique<ProbeControl>(Rect{0, 0, 10, 10}, kGain));
  auto* b = ui().AttachControl(std::make_unique<ProbeControl>(Rect{20, 0, 30, 10}, kGain));
  a->SetActionFunction([&](IControl*) { ++actions; });
  a->SetValueFromUser(0.75);
  ASSERT_EQ(editor.delegate.sent.size(), 1u);
  EXPECT_EQ(editor.delegate.sent[0], std::make_pair(int{kGain}, 0.75));
  EXPECT_DOUBLE_EQ(b->GetValue(), 0.75);
  EXPECT_EQ(actions, 1);
  // The same value again is no change.
  a->SetValueFromUser(0.75);
  EXPECT_EQ(editor.delegate.sent.size(), 1u);
  // Out-of-range values are clamped before they are sent.
  a->SetValueFromUser(1.5);
  EXPECT_DOUBLE_EQ(editor.delegate.sent.back().second, 1.0);
}

TEST_F(ValueFlow, PluginValuesWaitWhileTheUserDrags) {
  auto* c = ui().AttachControl(std::make_unique<ProbeControl>(Rect{10, 10, 50, 50}, kGain));
  ui().OnMouseDown(20, 20, Left());
  ui().SendParamToControls(kGain, 0.3);
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.0);
  ui().OnMouseUp(20, 20, Left());
  ui().SendParamToControls(kGain, 0.3);
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.3);
  EXPECT_EQ(editor.delegate.gestures, (std::vector<std::string>{"begin 0", "end 0"}));
}

TEST_F(ValueFlow, DoubleClickResetsToTheConstrainedDefault) {
  auto* c = ui().AttachControl(std::make_unique<ProbeControl>(Rect{10, 10, 50, 50}, kGain));
  c->SetValueFromUser(0.9);
  ui().OnMouseDblClick(20, 20, Left());
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.5);
  EXPECT_DOUBLE_EQ(editor.delegate.sent.back().second, 0.5);
  EXPECT_EQ(ui().GetCapturedControl(), nullptr);
}

TEST_F(ValueFlow, PointerValueIsClampedRoundedAndLimited) {
  auto* c = ui().AttachControl(std::make_unique<ProbeControl>(Rect{0, 0, 100, 100}, kGain));
  const Rect track{0, 0, 100, 100};
  c->SetValueFromPointer(33.3333f, 0, true, track);
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.333);
  c->SetValueFromPointer(0, 150, false, track);  // below the track: 0
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.0);
  c->SetValueFromPointer(0, 10, false, track, 0, 0.2, 0.8);
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.8);
}

TEST_F(ValueFlow, SwitchStepsThroughItsStates) {
  auto* three = ui().AttachControl(std::make_unique<Switch>(Rect{0, 0, 10, 10}, kThree));
  auto* two = ui().AttachControl(std::make_unique<Switch>(Rect{20, 0, 30, 10}, kOnOff));
  EXPECT_EQ(three->NumStates(), 3);
  std::vector<double> seen;
  for (int i = 0; i < 4; ++i) {
    ui().OnMouseDown(5, 5, Left());
    ui().OnMouseUp(5, 5, Left());
    seen.push_back(three->GetValue());
  }
  EXPECT_EQ(seen, (std::vector<double>{0.5, 1.0, 0.0, 0.5}));
  ui().OnMouseDown(25, 5, Left());
  EXPECT_DOUBLE_EQ(two->GetValue(), 1.0);
  EXPECT_TRUE(two->MouseIsDown());
  ui().OnMouseUp(25, 5, Left());
  ui().OnMouseDblClick(25, 5, Left());  // counts as a click
  EXPECT_DOUBLE_EQ(two->GetValue(), 0.0);
}

TEST(BitmapFrames, FrameChoiceAndPlacement) {
  EXPECT_EQ(IBitmapBase::FrameFor(1, 0.7), 1);
  EXPECT_EQ(IBitmapBase::FrameFor(3, 0.0), 1);
  EXPECT_EQ(IBitmapBase::FrameFor(3, 0.24), 1);
  EXPECT_EQ(IBitmapBase::FrameFor(3, 0.25), 2);
  EXPECT_EQ(IBitmapBase::FrameFor(3, 0.5), 2);
  EXPECT_EQ(IBitmapBase::FrameFor(3, 0.75), 3);
  EXPECT_EQ(IBitmapBase::FrameFor(3, 1.0), 3);
  EXPECT_EQ(IBitmapBase::FrameFor(3, std::numeric_limits<double>::quiet_NaN()), 1);

  Bitmap stacked;
  stacked.W = 40;
  stacked.H = 61;  // 3 frames of 20 (integer division)
  stacked.frames = 3;
  int srcX = -1, srcY = -1;
  Rect r = IBitmapBase::FrameRect(stacked, {100, 100, 140, 130}, 3, srcX, srcY);
  EXPECT_EQ(r, (Rect{100, 105, 140, 125}));
  EXPECT_EQ(srcX, 0);
  EXPECT_EQ(srcY, 40);
  Bitmap sideBySide = stacked;
  sideBySide.framesHorizontal = true;
  sideBySide.W = 90;
  sideBySide.H = 20;
  r = IBitmapBase::FrameRect(sideBySide, {0, 0, 30, 20}, 2, srcX, srcY);
  EXPECT_EQ(r, (Rect{0, 0, 30, 20}));
  EXPECT_EQ(srcX, 30);
  EXPECT_EQ(srcY, 0);
}

TEST_F(ValueFlow, RightClickAsksByMenuOnlyWhenPromptingIsEnabled) {
  ui().AddPopupMenuHost(TextStyle{});
  auto* c = ui().AttachControl(std::make_unique<ProbeControl>(Rect{10, 10, 50, 50}, kMode));
  editor.delegate.GetParam(kMode)->SetValue(1.0);
  c->OnMouseDown(20, 20, Right());
  EXPECT_FALSE(ui().PopupMenuShowing());

  c->DisablePrompt(false);
  c->OnMouseDown(20, 20, Right());
  ASSERT_TRUE(ui().PopupMenuShowing());
  const PopupMenu* menu = ui().GetPopupMenuHost()->GetMenu();
  ASSERT_EQ(menu->NItems(), 3);
  EXPECT_EQ(menu->Title(), "Mode");
  EXPECT_FALSE(menu->GetItem(0)->Checked());
  EXPECT_TRUE(menu->GetItem(1)->Checked());
  EXPECT_EQ(menu->GetItem(2)->Text(), "AVG");

  // Choosing the third item (index 2) sets the value, reports it and ends
  // the gesture.
  int level = -1, index = -1;
  const Rect area = ui().GetPopupMenuHost()->LevelRect(0);
  const float itemH = area.H() / 3.0f;
  ASSERT_TRUE(ui().GetPopupMenuHost()->ItemAt(area.L + 5, area.T + 2.5f * itemH, level, index));
  EXPECT_EQ(index, 2);
  ui().OnMouseDown(area.L + 5, area.T + 2.5f * itemH, Left());
  ui().OnMouseUp(area.L + 5, area.T + 2.5f * itemH, Left());
  EXPECT_FALSE(ui().PopupMenuShowing());
  EXPECT_DOUBLE_EQ(editor.delegate.GetParam(kMode)->GetValue(), 2.0);
  ASSERT_FALSE(editor.delegate.sent.empty());
  EXPECT_DOUBLE_EQ(editor.delegate.sent.back().second, 1.0);
  EXPECT_EQ(editor.delegate.gestures, (std::vector<std::string>{"end 1"}));
}

TEST_F(ValueFlow, MenuPressOnTitleOrOutsideChoosesNothing) {
  ui().AddPopupMenuHost(TextStyle{});
  auto* c = ui().AttachControl(std::make_unique<ProbeControl>(Rect{10, 10, 50, 50}, kMode));
  c->SetValueFromUser(0.5);
  PopupMenu menu;
  menu.AddItem("Title", PopupMenu::Item::kTitle);
  menu.AddItem("Plain");
  ui().ShowPopupMenu(c, menu, {10, 10, 50, 50}, 0);
  const Rect area = ui().GetPopupMenuHost()->LevelRect(0);
  ui().OnMouseDown(area.L + 2, area.T + 2, Left());  // the title
  ui().OnMouseUp(area.L + 2, area.T + 2, Left());
  EXPECT_FALSE(ui().PopupMenuShowing());
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.5);
}

TEST_F(ValueFlow, CommittedTextIsParsedSteppedAndReported) {
  ui().AddTextEntry(TextStyle{});
  auto* c = ui().AttachControl(std::make_unique<ProbeControl>(Rect{10, 10, 50, 50}, kGain));
  c->DisablePrompt(false);
  editor.delegate.GetParam(kGain)->SetValue(-12.5);
  c->AskUserForValue(0);
  ASSERT_TRUE(ui().TextEntryActive());
  EXPECT_EQ(ui().GetTextEntryHost()->GetText(), "-12.5");
  // Numbers without display texts get a small box in the control's middle.
  EXPECT_EQ(ui().GetTextEntryHost()->GetRect(), (Rect{10, 22, 50, 38}));
  ui().CommitTextEntry("7.25");
  EXPECT_FALSE(ui().TextEntryActive());
  EXPECT_DOUBLE_EQ(editor.delegate.GetParam(kGain)->GetValue(), 7.3);
  EXPECT_NEAR(editor.delegate.sent.back().second, (7.3 + 60.0) / 120.0, 1e-12);
}

TEST_F(ValueFlow, BitmapSwitchDrawsItsFrameWithTheControlsBlend) {
  Bitmap bitmap;
  bitmap.image = std::make_shared<FakeImage>(40, 60, 1);
  bitmap.W = 40;
  bitmap.H = 60;
  bitmap.frames = 3;
  auto* sw = ui().AttachControl(std::make_unique<IBSwitchControl>(Rect{0, 0, 40, 20}, bitmap, kThree));
  sw->SetValueFromPlugin(1.0);
  sw->SetDisabled(true);
  ui().Draw();
  ASSERT_EQ(editor.surface->images.size(), 1u);
  EXPECT_EQ(editor.surface->images[0].srcY, 40.0f);
  EXPECT_EQ(editor.surface->images[0].weight, 0.25f);
}

TEST_F(ValueFlow, LabelHidesItsTextWhileItOwnsTheTextEntry) {
  auto* label = ui().AttachControl(std::make_unique<ITextControl>(Rect{0, 0, 100, 20}, "-23.0"));
  ui().Draw();
  EXPECT_EQ(editor.surface->texts, (std::vector<std::string>{"-23.0"}));
  ui().ShowTextEntry(label, TextStyle{}, label->GetRect(), "-23.0", 0);
  label->SetLabelText("-22.0");
  ui().Draw();
  EXPECT_EQ(std::count(editor.surface->texts.begin(), editor.surface->texts.end(), "-22.0"), 0);
}
