// Hover, tooltips and submenus inside the editor, and the editor's life
// across openings.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "EditorTestSupport.h"
#include "framework/igraphics/EditorSession.h"
#include "framework/igraphics/IPopupMenuControl.h"
#include "framework/iplug/IParam.h"

using namespace igraphics;
using namespace editortest;

TEST(EditorHover, OverOutAndTooltipAfterTheRest) {
  Editor editor;
  editor.ui->AttachControl(std::make_unique<ProbeControl>(Rect{0, 0, 616, 352}));
  IControl* a = editor.ui->AttachControl(std::make_unique<ProbeControl>(Rect{10, 10, 100, 100}));
  IControl* b = editor.ui->AttachControl(std::make_unique<ProbeControl>(Rect{200, 10, 300, 100}));
  a->SetTooltipText("Window length of the RMS measurement in milliseconds, from 10 to 10000");
  editor.ui->OnMouseOver(20, 20, {});
  EXPECT_FALSE(a->GetMouseIsOver());  // mouse-over is off in a new window
  editor.ui->EnableMouseOver(true);
  editor.ui->OnMouseOver(20, 20, {});
  EXPECT_TRUE(a->GetMouseIsOver());
  editor.ui->OnIdle();
  EXPECT_EQ(editor.ui->ShownTooltip(), "");  // not yet rested
  std::this_thread::sleep_for(std::chrono::milliseconds(kTooltipDelayMs + 50));
  editor.ui->OnIdle();
  EXPECT_EQ(editor.ui->ShownTooltip(), a->GetTooltip());
  EXPECT_FALSE(editor.surface->texts.empty());  // drawn in the editor, wrapped into lines
  editor.ui->OnMouseOver(210, 20, {});
  EXPECT_FALSE(a->GetMouseIsOver());
  EXPECT_TRUE(b->GetMouseIsOver());
  EXPECT_EQ(editor.ui->ShownTooltip(), "");
  editor.ui->OnMouseOut();
  EXPECT_FALSE(b->GetMouseIsOver());
  EXPECT_EQ(editor.ui->GetMouseOverControl(), nullptr);
}

namespace {

// A control that opens a one-entry menu when pressed.
struct MenuButton : ProbeControl {
  using ProbeControl::ProbeControl;
  void OnMouseDown(float, float, const MouseMods&) override {
    PopupMenu menu("Presets");
    menu.AddItem("Init");
    GetUI()->ShowPopupMenu(this, menu, GetRect());
  }
};

}  // namespace

TEST(EditorHover, ATooltipShowsItsControlsCurrentTextAndGivesWayToAMenu) {
  Editor editor;
  editor.ui->AddPopupMenuHost(TextStyle{});
  editor.ui->EnableMouseOver(true);
  editor.ui->AttachControl(std::make_unique<ProbeControl>(Rect{0, 0, 616, 352}));
  IControl* button = editor.ui->AttachControl(std::make_unique<MenuButton>(Rect{10, 10, 100, 30}));
  button->SetTooltipText("Preset menu: LUFS EBU R128");
  editor.ui->OnMouseOver(20, 20, {});
  std::this_thread::sleep_for(std::chrono::milliseconds(kTooltipDelayMs + 50));
  editor.ui->OnIdle();
  ASSERT_EQ(editor.ui->ShownTooltip(), "Preset menu: LUFS EBU R128");

  button->SetTooltipText("Preset menu: LU EBU R128");
  EXPECT_EQ(editor.ui->ShownTooltip(), "Preset menu: LU EBU R128");
  EXPECT_TRUE(editor.ui->OnIdle());
  const auto& texts = editor.surface->texts;
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Preset menu: LU EBU R128"), texts.end());

  // The pointer rests where it pressed, long past the tooltip's delay.
  editor.ui->OnMouseDown(20, 20, Left());
  editor.ui->OnMouseUp(20, 20, Left());
  ASSERT_TRUE(editor.ui->PopupMenuShowing());
  editor.ui->OnIdle();
  EXPECT_EQ(editor.ui->ShownTooltip(), "");
}

// The pointer leaves the menu's button for another control while the menu is
// open, and Escape closes the menu: only that control's tooltip shows, after
// a new rest, beside the pointer.
TEST(EditorHover, AfterAMenuClosesTheControlUnderThePointerIsHovered) {
  Editor editor;
  editor.ui->AddPopupMenuHost(TextStyle{});
  editor.ui->EnableMouseOver(true);
  editor.ui->AttachControl(std::make_unique<ProbeControl>(Rect{0, 0, 616, 352}));
  IControl* button = editor.ui->AttachControl(std::make_unique<MenuButton>(Rect{235, 7, 419, 31}));
  IControl* field = editor.ui->AttachControl(std::make_unique<ProbeControl>(Rect{265, 250, 365, 285}));
  button->SetTooltipText("Preset menu: Init");
  field->SetTooltipText("Measurement window");
  const auto rest = [&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(kTooltipDelayMs + 50));
    editor.ui->OnIdle();
  };
  editor.ui->OnMouseOver(300, 19, {});
  editor.ui->OnMouseDown(300, 19, Left());
  editor.ui->OnMouseUp(300, 19, Left());
  ASSERT_TRUE(editor.ui->PopupMenuShowing());
  editor.ui->OnMouseOver(320, 270, {});
  rest();
  editor.ui->OnKeyDown(320, 270, Key(0x1B));  // Escape
  ASSERT_FALSE(editor.ui->PopupMenuShowing());
  EXPECT_FALSE(button->GetMouseIsOver());
  EXPECT_TRUE(field->GetMouseIsOver());
  editor.ui->OnIdle();
  EXPECT_EQ(editor.ui->ShownTooltip(), "");
  rest();
  EXPECT_EQ(editor.ui->ShownTooltip(), "Measurement window");
  const auto& texts = editor.surface->texts;
  const auto drawn = std::find(texts.begin(), texts.end(), "Measurement window");
  ASSERT_NE(drawn, texts.end());
  const graphics::RectF box = editor.surface->textBoxes[static_cast<std::size_t>(drawn - texts.begin())];
  EXPECT_GT(box.left, 320.0f);
  EXPECT_LT(box.left, 340.0f);
  EXPECT_GT(box.top, 270.0f);
  EXPECT_LT(box.top, 300.0f);
}

TEST(EditorMenus, HoverOpensSubmenuAndItsChoiceIsDelivered) {
  Editor editor;
  editor.ui->AddPopupMenuHost(TextStyle{});
  struct Chooser : ProbeControl {
    using ProbeControl::ProbeControl;
    void OnMenuChoice(PopupMenu* menu, int) override {
      chosenTitle = menu ? menu->Title() : "none";
      chosenIndex = menu ? menu->ChosenItemIdx() : -1;
    }
    std::string chosenTitle;
    int chosenIndex = -2;
  };
  auto* owner = editor.ui->AttachControl(std::make_unique<Chooser>(Rect{10, 10, 50, 30}));
  int callbacks = 0;
  auto presets = std::make_unique<PopupMenu>("EBU");
  presets->AddItem("R128");
  presets->AddItem("R128 S1");
  presets->SetCallback([&](PopupMenu*) { ++callbacks; });
  PopupMenu menu("Presets");
  menu.AddItem("Init");
  menu.AddItem("EBU", std::move(presets));
  editor.ui->ShowPopupMenu(owner, menu, owner->GetRect(), 0);
  IPopupMenuControl& host = *editor.ui->GetPopupMenuHost();
  const Rect main = host.LevelRect(0);
  const float itemH = main.H() / 2.0f;
  editor.ui->OnMouseOver(main.L + 5, main.T + 1.5f * itemH, {});
  ASSERT_EQ(host.OpenLevels(), 2);
  const Rect sub = host.LevelRect(1);
  editor.ui->OnMouseOver(sub.L + 5, sub.T + 1.5f * itemH, {});
  editor.ui->OnMouseDown(sub.L + 5, sub.T + 1.5f * itemH, Left());
  editor.ui->OnMouseUp(sub.L + 5, sub.T + 1.5f * itemH, Left());
  EXPECT_EQ(owner->chosenTitle, "EBU");
  EXPECT_EQ(owner->chosenIndex, 1);
  EXPECT_EQ(callbacks, 1);

  // Pressing the submenu holder itself chooses nothing.
  editor.ui->ShowPopupMenu(owner, menu, owner->GetRect(), 0);
  editor.ui->OnMouseDown(main.L + 5, main.T + 1.5f * itemH, Left());
  EXPECT_EQ(owner->chosenTitle, "none");
}

TEST(EditorSessionLife, OpensLaysOutKeepsGeometryAndPassesValues) {
  TestDelegate delegate;
  delegate.GetParam(0)->DefineDouble("Gain", "dB", iplug::NoFlags, "", iplug::IParam::ShapeLinear(), 0.0,
                                     -60.0, 60.0, 0.1);
  EditorSession session(delegate);
  int layouts = 0;
  session.SetFactory([&] {
    return std::make_unique<IGraphics>(delegate, 616, 352, 60, 1.0f, std::make_unique<RecordingSurface>());
  });
  session.SetLayout([&](IGraphics& ui) {
    ++layouts;
    ui.AttachControl(std::make_unique<ProbeControl>(Rect{0, 0, 616, 352}));
    ui.AttachControl(std::make_unique<ProbeControl>(Rect{10, 10, 50, 50}, 0), 5);
  });
  session.SendParamToEditor(0, 30.0, false);  // closed: dropped
  ASSERT_TRUE(session.OpenOffscreen());
  EXPECT_EQ(layouts, 1);
  session.SendParamToEditor(0, 30.0, false);
  EXPECT_DOUBLE_EQ(session.GetUI()->ControlWithTag(5)->GetValue(), 0.75);
  session.GetUI()->ResizeEditor(616, 352, 1.5f, false);
  session.Close();
  EXPECT_FALSE(session.IsOpen());
  EXPECT_EQ(delegate.SavedWidth(), 616);
  EXPECT_DOUBLE_EQ(delegate.SavedScale(), 1.5);
  ASSERT_TRUE(session.OpenOffscreen());
  EXPECT_EQ(layouts, 2);
  EXPECT_EQ(session.GetUI()->GetDrawScale(), 1.5f);
  EXPECT_FALSE(session.Open(1));  // no window system installed
  EXPECT_TRUE(session.IsOpen());  // the editor that was open stays
}

TEST(EditorPrompts, WithoutADialogProgramThePathIsTypedInTheEditor) {
  Editor editor;
  PlatformServices platform;
  platform.promptForFile = [](const std::string&, const std::string&, FileAction, const std::string&,
                              std::function<void(const std::string&)>) { return false; };
  editor.ui->SetPlatformServices(platform);
  std::vector<std::string> chosen;
  editor.ui->PromptForFile("a.vrs", "/home/u/Kalvo5", FileAction::Save, "vrs",
                           [&](const std::string& path) { chosen.push_back(path); });
  ASSERT_TRUE(editor.ui->TextEntryActive());
  editor.ui->OnKeyDown(0, 0, Key('X', "x"));
  editor.ui->OnKeyDown(0, 0, Key(vk::kReturn));
  editor.ui->PromptForDirectory("/tmp", [&](const std::string& path) { chosen.push_back(path); });
  editor.ui->OnKeyDown(0, 0, Key(vk::kEscape));
  EXPECT_EQ(chosen, (std::vector<std::string>{"/home/u/Kalvo5/a.vrsx", ""}));
}
