// The editor window's control list, hit testing and capture, right clicks on
// parameter controls, resizing and scaling, and drawing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include "EditorTestSupport.h"

#include "framework/igraphics/ICornerResizerControl.h"
#include "framework/igraphics/IMessageBoxControl.h"
#include "framework/iplug/IParam.h"

using namespace igraphics;
using namespace editortest;

namespace {

ProbeControl* AddProbe(IGraphics& ui, const Rect& r, int paramIdx = kNoParameter, int tag = kNoTag) {
  return ui.AttachControl(std::make_unique<ProbeControl>(r, paramIdx), tag);
}

}  // namespace

TEST(EditorControls, AddControlOrderAndTakenTags) {
  Editor editor;
  ProbeControl* first = AddProbe(*editor.ui, {0, 0, 10, 10}, kNoParameter, 7);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->events, (std::vector<std::string>{"init", "resized", "scale", "attached"}));
  EXPECT_EQ(first->GetUI(), editor.ui.get());
  EXPECT_EQ(AddProbe(*editor.ui, {0, 0, 10, 10}, kNoParameter, 7), nullptr);
  EXPECT_EQ(editor.ui->ControlCount(), 1);
  EXPECT_EQ(editor.ui->ControlWithTag(7), first);
  EXPECT_EQ(editor.ui->ControlWithTag(8), nullptr);
  EXPECT_EQ(editor.ui->ControlAt(1), nullptr);
  editor.ui->SendControlValue(7, 0.25);
  EXPECT_DOUBLE_EQ(first->GetValue(), 0.25);
}

TEST(EditorMouse, HitTestingOrderSkipsAndCapture) {
  Editor editor;
  IGraphics& ui = *editor.ui;
  ProbeControl* background = AddProbe(ui, {0, 0, 616, 352});
  ProbeControl* under = AddProbe(ui, {10, 10, 100, 100});
  ProbeControl* over = AddProbe(ui, {50, 50, 150, 150});
  EXPECT_EQ(ui.GetMouseControl(60, 60, false), over);  // the last added wins
  EXPECT_EQ(ui.GetMouseControl(20, 20, false), under);
  EXPECT_EQ(ui.GetMouseControl(150, 150, false), background);  // right and bottom edges are outside
  over->SetHidden(true);
  EXPECT_EQ(ui.GetMouseControl(60, 60, false), under);
  over->SetHidden(false);
  over->SetDisabled(true);
  EXPECT_EQ(ui.GetMouseControl(60, 60, false), under);
  over->SetMouseEventsWhenDisabled(true);
  EXPECT_EQ(ui.GetMouseControl(60, 60, false), over);
  over->SetIgnoreMouse(true);
  EXPECT_EQ(ui.GetMouseControl(60, 60, false), under);
  // Hover skips the background and finds nothing while mouse-over is off.
  EXPECT_EQ(ui.GetMouseControl(300, 300, false, true), nullptr);
  ui.EnableMouseOver(true);
  EXPECT_EQ(ui.GetMouseControl(20, 20, false, true), under);
  EXPECT_EQ(ui.GetMouseControl(300, 300, false, true), nullptr);

  // A press captures: drags and the release go to it wherever the pointer is.
  ui.OnMouseDown(20, 20, Left());
  ui.OnMouseDrag(400, 300, 380, 280, Left());
  ui.OnMouseDrag(400, 300, 0, 0, Left());  // no movement: nothing
  ui.OnMouseUp(400, 300, Left());
  EXPECT_EQ(under->events.back(), "up");
  EXPECT_EQ(std::count(under->events.begin(), under->events.end(), "drag"), 1);
  EXPECT_EQ(ui.GetCapturedControl(), nullptr);
  EXPECT_TRUE(background->events.back() != "down");
  // The wheel goes to the control under the pointer.
  ui.OnMouseWheel(20, 20, {}, -2.0f);
  EXPECT_EQ(under->events.back(), "wheel -2");
}

TEST(EditorMouse, RightClickOnParameterControlChangesNothing) {
  Editor editor;
  editor.delegate.GetParam(0)->DefineEnum("Mode", 0, 3, "", iplug::NoFlags, "");
  editor.ui->AddPopupMenuHost(TextStyle{});
  ProbeControl* bound = AddProbe(*editor.ui, {10, 10, 100, 100}, 0);
  bound->DisablePrompt(false);
  ProbeControl* unbound = AddProbe(*editor.ui, {200, 10, 300, 100});
  editor.ui->OnMouseDown(20, 20, Right());
  editor.ui->OnMouseUp(20, 20, Right());
  EXPECT_TRUE(std::find(bound->events.begin(), bound->events.end(), "down") == bound->events.end());
  EXPECT_FALSE(editor.ui->PopupMenuShowing());
  EXPECT_TRUE(editor.delegate.gestures.empty());
  EXPECT_TRUE(editor.delegate.sent.empty());
  editor.ui->OnMouseDown(210, 20, Right());
  EXPECT_EQ(unbound->events.back(), "down");
}

TEST(EditorMouse, KeysGoToTheControlUnderThePointerThenTheHandler) {
  Editor editor;
  ProbeControl* background = AddProbe(*editor.ui, {0, 0, 616, 352});
  ProbeControl* control = AddProbe(*editor.ui, {10, 10, 100, 100});
  int handled = 0;
  editor.ui->SetKeyHandler([&](float, float, const KeyPress&, bool) { return ++handled > 0; });
  EXPECT_TRUE(editor.ui->OnKeyDown(20, 20, Key(0x41, "a")));
  EXPECT_EQ(control->events.back(), "key 65");
  EXPECT_EQ(handled, 1);
  control->usesKeys = true;
  EXPECT_TRUE(editor.ui->OnKeyDown(20, 20, Key(0x41, "a")));
  EXPECT_EQ(handled, 1);
  // The background never gets keys.
  EXPECT_TRUE(editor.ui->OnKeyDown(300, 300, Key(0x41, "a")));
  EXPECT_EQ(background->events.back(), "attached");
}

TEST(EditorResize, CornerDragInScaleModeTakesTheSmallerRatio) {
  for (const auto& [x, y, expected] :
       {std::tuple{900.0f, 510.0f, 1.5f}, std::tuple{900.0f, 400.0f, 400.0f / 340.0f}}) {
    Editor editor;
    IGraphics& ui = *editor.ui;
    ProbeControl* probe = AddProbe(ui, {0, 0, 10, 10});
    ui.SetCornerResizer(std::make_unique<ICornerResizerControl>(Rect{0, 0, 616, 352}, 20.0f),
                        ResizeMode::Scale);
    ui.BeginResizeDrag();
    ui.OnMouseDown(600, 340, Left());
    ui.OnMouseDrag(x, y, x - 600, y - 340, Left());
    EXPECT_NEAR(ui.GetDrawScale(), expected, 1e-5);
    EXPECT_EQ(ui.Width(), 616);
    ASSERT_FALSE(editor.delegate.requested.empty());
    EXPECT_EQ(editor.delegate.requested.back().first, static_cast<int>(std::lround(616 * ui.GetDrawScale())));
    probe->events.clear();
    ui.OnMouseUp(x, y, Left());
    EXPECT_FALSE(ui.ResizeDragActive());
    EXPECT_EQ(probe->events, (std::vector<std::string>{"scale"}));  // at the end of the drag only
  }
}

TEST(EditorResize, CornerResizerTakesTheCornerAndDoubleClickRestores) {
  Editor editor;
  IGraphics& ui = *editor.ui;
  ui.SetCornerResizer(std::make_unique<ICornerResizerControl>(Rect{0, 0, 616, 352}, 20.0f), ResizeMode::Size);
  EXPECT_EQ(ui.GetCornerResizer()->GetRect(), (Rect{596, 332, 616, 352}));
  ui.OnMouseDown(600, 340, Left());
  EXPECT_TRUE(ui.ResizeDragActive());
  ui.OnMouseDrag(700.7f, 400.2f, 100, 60, Left());
  EXPECT_EQ(ui.Width(), 700);
  EXPECT_EQ(ui.Height(), 400);
  ui.OnMouseUp(700, 400, Left());
  ui.ResizeEditor(616, 352, 2.0f, false);
  EXPECT_EQ(ui.GetCornerResizer()->GetRect(), (Rect{606, 342, 616, 352}));  // 20 pixels at scale 2
  ui.OnMouseDblClick(610, 345, Left());
  EXPECT_EQ(ui.GetDrawScale(), 1.0f);
  EXPECT_EQ(ui.Width(), 616);
}

TEST(EditorResize, ScaleClampSizeLimitsAndNoOp) {
  Editor editor;
  IGraphics& ui = *editor.ui;
  ProbeControl* probe = AddProbe(ui, {0, 0, 10, 10});
  probe->events.clear();
  ui.ResizeEditor(616, 352, 5.0f, true);
  EXPECT_EQ(ui.GetDrawScale(), 4.0f);
  EXPECT_EQ(editor.delegate.requested.back(), std::make_pair(2464, 1408));
  EXPECT_EQ(editor.surface->width, 2464);
  // Bitmaps are now needed at 4x: the controls reload theirs.
  EXPECT_EQ(probe->events, (std::vector<std::string>{"scale", "resized"}));
  probe->events.clear();
  ui.ResizeEditor(700, 352, 4.0f, false);
  EXPECT_EQ(probe->events, (std::vector<std::string>{"resized"}));  // the same bitmaps
  ui.ResizeEditor(616, 352, 4.0f, true);
  const auto requests = editor.delegate.requested.size();
  ui.ResizeEditor(616, 352, 4.0f, true);
  EXPECT_EQ(editor.delegate.requested.size(), requests);
  ui.ResizeEditor(616, 352, 0.1f, false);
  EXPECT_EQ(ui.GetDrawScale(), 0.5f);
  EXPECT_EQ(editor.delegate.requested.size(), requests);  // the host need not follow
  ui.ResizeEditor(5000, 10, 1.0f, false);
  EXPECT_EQ(ui.Width(), 1848);
  EXPECT_EQ(ui.Height(), 117);
}

TEST(EditorResize, ScreenScaleSizesSurfaceAndTellsControls) {
  Editor editor(1.5f);
  ProbeControl* probe = AddProbe(*editor.ui, {0, 0, 10, 10});
  probe->events.clear();
  editor.ui->SetScreenScale(2.0);
  EXPECT_EQ(editor.surface->width, 1848);
  EXPECT_EQ(editor.surface->height, 1056);
  EXPECT_DOUBLE_EQ(editor.surface->scaleSet, 3.0);
  EXPECT_EQ(editor.delegate.requested.back(), std::make_pair(1848, 1056));
  EXPECT_EQ(probe->events, (std::vector<std::string>{"scale"}));
}

TEST(EditorDrawing, DrawsWhenDirtyAndSkipsHiddenControls) {
  Editor editor;
  ProbeControl* shown = AddProbe(*editor.ui, {0, 0, 10, 10});
  ProbeControl* hidden = AddProbe(*editor.ui, {0, 0, 10, 10});
  hidden->SetHidden(true);
  EXPECT_TRUE(editor.ui->Draw());
  EXPECT_EQ(shown->draws, 1);
  EXPECT_EQ(hidden->draws, 0);
  EXPECT_FALSE(shown->IsDirty());
  EXPECT_FALSE(editor.ui->Draw());
  shown->SetValueFromPlugin(0.5);
  EXPECT_TRUE(editor.ui->Draw());
  EXPECT_EQ(shown->draws, 2);
}

TEST(EditorMessages, MessageBoxAnswersByKeyAndHoldsTheMouse) {
  Editor editor;
  ProbeControl* control = AddProbe(*editor.ui, {0, 0, 616, 352});
  std::vector<int> answers;
  editor.ui->ShowMessageBox("Overwrite?", "Preset", kMB_YESNO,
                            [&](int answer) { answers.push_back(answer); });
  editor.ui->ShowMessageBox("Second", "Preset", kMB_OK, [&](int answer) { answers.push_back(answer); });
  editor.ui->OnMouseDown(5, 5, Left());
  editor.ui->OnMouseUp(5, 5, Left());
  EXPECT_TRUE(control->events.back() == "attached");
  editor.ui->OnKeyDown(5, 5, Key(0x1B));           // Escape: No
  ASSERT_NE(editor.ui->GetMessageBox(), nullptr);  // the queued box follows
  EXPECT_EQ(editor.ui->GetMessageBox()->Text(), "Second");
  const Rect ok = editor.ui->GetMessageBox()->ButtonRect(0);
  editor.ui->OnMouseDown(ok.MW(), ok.MH(), Left());
  editor.ui->OnMouseUp(ok.MW(), ok.MH(), Left());
  EXPECT_EQ(answers, (std::vector<int>{kResultNo, kResultOK}));
  EXPECT_EQ(editor.ui->GetMessageBox(), nullptr);
}

TEST(EditorMessages, OpenURLAsksFirstAndReportsOffline) {
  Editor editor;
  std::vector<std::string> opened;
  bool online = false;
  PlatformServices platform;
  platform.openAddress = [&](const std::string& address) {
    opened.push_back(address);
    return true;
  };
  platform.internetConnected = [&] { return online; };
  editor.ui->SetPlatformServices(platform);

  EXPECT_FALSE(editor.ui->OpenURL("https://example.org", "Kalvo5", "", "No connection"));
  ASSERT_NE(editor.ui->GetMessageBox(), nullptr);
  EXPECT_EQ(editor.ui->GetMessageBox()->Text(), "No connection");
  editor.ui->CloseMessageBox(kResultOK);
  EXPECT_TRUE(editor.ui->OpenURL("file:///tmp/manual.pdf"));  // local files need no network
  online = true;
  EXPECT_FALSE(editor.ui->OpenURL("https://example.org/a", "Kalvo5", "Open the page?"));
  EXPECT_EQ(opened.size(), 1u);
  editor.ui->CloseMessageBox(kResultYes);
  EXPECT_EQ(opened, (std::vector<std::string>{"file:///tmp/manual.pdf", "https://example.org/a"}));
}

TEST(EditorMessages, APressThatOpensABoxStillEndsItsGestureOnce) {
  Editor editor;
  struct Asker : ProbeControl {
    using ProbeControl::ProbeControl;
    void OnMouseDown(float, float, const MouseMods&) override {
      GetUI()->ShowMessageBox("About", "Kalvo5", kMB_OK);
    }
  };
  editor.ui->AttachControl(std::make_unique<Asker>(Rect{0, 0, 100, 100}, 0));
  editor.ui->OnMouseDown(10, 10, Left());
  editor.ui->OnMouseUp(10, 10, Left());
  EXPECT_EQ(editor.delegate.gestures, (std::vector<std::string>{"begin 0", "end 0"}));
}

TEST(EditorControls, ARebuildDuringAReleaseOrMenuChoiceIsSafe) {
  Editor editor;
  editor.ui->AddPopupMenuHost(TextStyle{});
  struct Rebuilder : ProbeControl {
    using ProbeControl::ProbeControl;
    void OnMouseUp(float, float, const MouseMods&) override { GetUI()->RemoveAllControls(); }
    void OnMenuChoice(PopupMenu*, int) override { GetUI()->RemoveAllControls(); }
  };
  editor.ui->AttachControl(std::make_unique<Rebuilder>(Rect{0, 0, 100, 100}, 0));
  editor.ui->OnMouseDown(10, 10, Left());
  editor.ui->OnMouseUp(10, 10, Left());
  EXPECT_EQ(editor.ui->ControlCount(), 0);
  EXPECT_EQ(editor.delegate.gestures, (std::vector<std::string>{"begin 0", "end 0"}));

  IControl* menuOwner = editor.ui->AttachControl(std::make_unique<Rebuilder>(Rect{0, 0, 100, 100}, 1));
  PopupMenu menu;
  menu.AddItem("Only");
  editor.ui->ShowPopupMenu(menuOwner, menu, {0, 0, 10, 10}, 0);
  editor.ui->OnMouseDown(500, 300, Left());  // outside the menu: closes it unchosen
  EXPECT_EQ(editor.ui->ControlCount(), 0);
  EXPECT_EQ(editor.delegate.gestures.back(), "end 1");
}
