// The in-editor text entry: character filters, editing keys, clipboard,
// undo, and how it ends; and ShortenMiddle.
#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "framework/igraphics/IPopupMenuControl.h"
#include "framework/igraphics/ITextEntryControl.h"
#include "framework/igraphics/TextLayout.h"
#include "framework/iplug/IParam.h"

using namespace igraphics;
using namespace editortest;

namespace {

constexpr int kShifted = 1;

struct Entry : ::testing::Test {
  Entry() {
    editor.delegate.GetParam(0)->DefineDouble("Gain", "dB", iplug::NoFlags, "", iplug::IParam::ShapeLinear(),
                                              0.0, -60.0, 60.0, 0.1);
    editor.delegate.GetParam(1)->DefineEnum("Mode", 0, 3, "", iplug::NoFlags, "");
    ui().AddTextEntry(TextStyle{});
    control = ui().AttachControl(std::make_unique<ProbeControl>(Rect{100, 100, 200, 120}, 0));
    free = ui().AttachControl(std::make_unique<ProbeControl>(Rect{300, 100, 400, 120}));
  }
  IGraphics& ui() { return *editor.ui; }
  ITextEntryControl& entry() { return *ui().GetTextEntryHost(); }
  // Types a text as single key presses (digits with their key codes).
  void Type(const std::string& text, int flags = 0) {
    for (char c : text) {
      const char s[2] = {c, 0};
      const int code = c >= '0' && c <= '9' ? c : c >= 'a' && c <= 'z' ? c - 'a' + 'A' : 0;
      ui().OnKeyDown(0, 0, Key(code, s, flags & kShifted));
    }
  }
  void Press(int vk, bool shift = false, bool ctrl = false) {
    ui().OnKeyDown(0, 0, Key(vk, "", shift, ctrl));
  }
  void Open(IControl* c, const std::string& text) {
    ui().ShowTextEntry(c, TextStyle{}, {100, 100, 200, 120}, text, 0);
    Press(vk::kEnd);
  }

  Editor editor;
  ProbeControl* control = nullptr;
  ProbeControl* free = nullptr;
};

}  // namespace

TEST_F(Entry, DoubleParameterAcceptsOnlyNumberCharacters) {
  control->SetTextEntryLength(10);
  Open(control, "");
  Type("-12.5");
  Type("ab+");
  Type("3", kShifted);  // a shifted main-row digit is a symbol
  EXPECT_EQ(entry().GetText(), "-12.5+");
  ui().OnKeyDown(0, 0, Key(vk::kNumpad0 + 4, "4", true));  // the keypad's digits are fine
  EXPECT_EQ(entry().GetText(), "-12.5+4");
}

TEST_F(Entry, EnumParameterRefusesTheDecimalPointAndUnboundAcceptsAll) {
  IControl* mode = ui().AttachControl(std::make_unique<ProbeControl>(Rect{0, 0, 10, 10}, 1));
  Open(mode, "");
  Type("1.5x");
  EXPECT_EQ(entry().GetText(), "15");
  Press(vk::kEscape);
  Open(free, "");
  Type("a.b!");
  EXPECT_EQ(entry().GetText(), "a.b!");
}

TEST_F(Entry, TypingStopsAtTheLengthLimitButThePrefillStays) {
  Open(control, "-60.0 dB");  // longer than the 7 characters of the limit
  EXPECT_EQ(entry().GetText(), "-60.0 dB");
  Type("1");
  EXPECT_EQ(entry().GetText(), "-60.0 dB");
  Press('A', false, true);  // select all, then typing replaces
  Type("12");
  EXPECT_EQ(entry().GetText(), "12");
}

TEST_F(Entry, EditingKeys) {
  control->SetTextEntryLength(20);
  Open(control, "12345");
  Press(vk::kBack);
  EXPECT_EQ(entry().GetText(), "1234");
  Press(vk::kHome);
  Press(vk::kDelete);
  EXPECT_EQ(entry().GetText(), "234");
  Press(vk::kRight);
  Type("9");
  EXPECT_EQ(entry().GetText(), "2934");
  Press(vk::kRight, true);
  Press(vk::kRight, true);
  EXPECT_EQ(entry().SelectionEnd() - entry().SelectionStart(), 2);
  Press('X', false, true);
  EXPECT_EQ(entry().GetText(), "29");
  Press(vk::kPrior);
  Press('V', false, true);
  EXPECT_EQ(entry().GetText(), "3429");
  Press('Z', false, true);
  EXPECT_EQ(entry().GetText(), "29");
  Press('Z', false, true);
  EXPECT_EQ(entry().GetText(), "2934");
  Press('Z', true, true);  // redo
  EXPECT_EQ(entry().GetText(), "29");
  Press(vk::kNext);
  Press(vk::kLeft);
  Press(vk::kBack);
  EXPECT_EQ(entry().GetText(), "9");
}

TEST_F(Entry, PasteIsFilteredAndCappedByTheLimit) {
  ui().SetClipboardText("-3.5 dB\nmore");
  Open(control, "");
  Press('V', false, true);
  EXPECT_EQ(entry().GetText(), "-3.5");
  ui().SetClipboardText("123456789");
  Press('V', false, true);
  EXPECT_EQ(entry().GetText(), "-3.5123");
}

TEST_F(Entry, EnterCommitsEscapeCancelsAndAPressOutsideCommits) {
  Open(control, "");
  Type("6");
  Press(vk::kReturn);
  EXPECT_FALSE(ui().TextEntryActive());
  EXPECT_DOUBLE_EQ(editor.delegate.GetParam(0)->GetValue(), 6.0);

  Open(control, "");
  Type("9");
  Press(vk::kEscape);
  EXPECT_FALSE(ui().TextEntryActive());
  EXPECT_DOUBLE_EQ(editor.delegate.GetParam(0)->GetValue(), 6.0);

  Open(control, "");
  Type("1");
  ui().OnMouseDown(500, 300, Left());
  ui().OnMouseUp(500, 300, Left());
  EXPECT_FALSE(ui().TextEntryActive());
  EXPECT_DOUBLE_EQ(editor.delegate.GetParam(0)->GetValue(), 1.0);
  EXPECT_TRUE(control->events.back() != "down");  // the press went to the entry only
}

TEST_F(Entry, RightPressOffersCutCopyPaste) {
  ui().AddPopupMenuHost(TextStyle{});
  Open(control, "42");
  Press('A', false, true);
  ui().OnMouseDown(150, 110, Right());
  ui().OnMouseUp(150, 110, Right());
  ASSERT_TRUE(ui().PopupMenuShowing());
  const Rect menu = ui().GetPopupMenuHost()->LevelRect(0);
  const float itemH = menu.H() / 3.0f;
  ui().OnMouseDown(menu.L + 5, menu.T + 0.5f * itemH, Left());  // Cut
  ui().OnMouseUp(menu.L + 5, menu.T + 0.5f * itemH, Left());
  EXPECT_TRUE(ui().TextEntryActive());
  EXPECT_EQ(entry().GetText(), "");
  EXPECT_EQ(ui().GetClipboardText(), "42");
}

TEST_F(Entry, UnboundControlGetsTheText) {
  struct Receiver : ProbeControl {
    using ProbeControl::ProbeControl;
    void OnTextEntered(const char* text, int) override { received = text; }
    std::string received;
  };
  auto* receiver = ui().AttachControl(std::make_unique<Receiver>(Rect{0, 0, 10, 10}));
  Open(receiver, "name");
  Press(vk::kReturn);
  EXPECT_EQ(receiver->received, "name");
}

TEST(ShortenMiddle, KeepsShortTextsAndCutsLongOnes) {
  EXPECT_EQ(ShortenMiddle("123456789", 10), "123456789");
  EXPECT_EQ(ShortenMiddle("abcdefghij", 10), "abc ... ij");
  // Characters, not bytes: "é" and "ö" are two bytes each in UTF-8.
  EXPECT_EQ(ShortenMiddle("Réglage Dialogue Köln 2024", 19), "Réglage ... ln 2024");
  EXPECT_EQ(ShortenMiddle("Réglage Dialogue", 19), "Réglage Dialogue");
  EXPECT_EQ(ShortenMiddle("abcdefghijklmnop", 10), "abc ... op");
  EXPECT_EQ(ShortenMiddle("abcdefghijklmnop", 6), "abcdefghijklmnop");
  EXPECT_EQ(ShortenMiddle("abcdefghijklmnop", 7).size(), 7u);
}
