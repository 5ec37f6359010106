#include "ITextEntryControl.h"

#include <algorithm>

#include "IGraphics.h"

namespace igraphics {
namespace {

constexpr float kInnerMargin = 3.0f;
constexpr std::size_t kUndoDepth = 64;

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

bool IsCommand(const KeyPress& key, int letter) { return key.control && !key.alt && key.vk == letter; }

}  // namespace

ITextEntryControl::ITextEntryControl(const TextStyle& style) : IControl({}) { mTextStyle = style; }

void ITextEntryControl::Show(const Rect& bounds, const TextStyle& style, const std::string& text,
                             EntryFilter filter, int maxLength) {
  SetTargetAndDrawRects(bounds);
  mTextStyle = style;
  mText = text;
  mFilter = filter;
  mMaxLength = maxLength;
  mAnchor = 0;
  mCaret = static_cast<int>(mText.size());
  mUndo.clear();
  mRedo.clear();
  mActive = true;
  MarkDirty(false);
}

void ITextEntryControl::Hide() {
  mActive = false;
  MarkDirty(false);
}

bool ITextEntryControl::Accepts(EntryFilter filter, const KeyPress& key) {
  if (key.utf8[0] == '\0') return false;
  if (filter == EntryFilter::Any) return true;
  if (key.utf8[1] != '\0') return false;  // only single ASCII characters pass a numeric filter
  const char c = key.utf8[0];
  if (c >= '0' && c <= '9') {
    // A shifted key of the main row types a symbol on most layouts.
    const bool keypad = key.vk >= vk::kNumpad0 && key.vk <= vk::kNumpad9;
    return keypad || !key.shift;
  }
  if (c == '+' || c == '-') return true;
  return c == '.' && filter == EntryFilter::Real;
}

int ITextEntryControl::CharacterCount() const {
  return static_cast<int>(
      std::count_if(mText.begin(), mText.end(), [](char c) { return !IsContinuationByte(c); }));
}

int ITextEntryControl::PreviousBoundary(int pos) const {
  if (pos <= 0) return 0;
  --pos;
  while (pos > 0 && IsContinuationByte(mText[static_cast<std::size_t>(pos)])) --pos;
  return pos;
}

int ITextEntryControl::NextBoundary(int pos) const {
  const int size = static_cast<int>(mText.size());
  if (pos >= size) return size;
  ++pos;
  while (pos < size && IsContinuationByte(mText[static_cast<std::size_t>(pos)])) ++pos;
  return pos;
}

int ITextEntryControl::PositionAt(float x) {
  IGraphics* g = GetUI();
  int best = 0;
  float bestDistance = 1e9f;
  for (int pos = 0;; pos = NextBoundary(pos)) {
    const float width =
        g ? g->MeasureText(mTextStyle, mText.substr(0, static_cast<std::size_t>(pos))).W() : 0.0f;
    const float distance = std::abs(mRect.L + kInnerMargin + width - x);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = pos;
    }
    if (pos >= static_cast<int>(mText.size())) break;
  }
  return best;
}

void ITextEntryControl::MoveCaret(int pos, bool extend) {
  mCaret = std::clamp(pos, 0, static_cast<int>(mText.size()));
  if (!extend) mAnchor = mCaret;
  MarkDirty(false);
}

void ITextEntryControl::RememberForUndo() {
  mUndo.push_back({mText, mCaret});
  if (mUndo.size() > kUndoDepth) mUndo.erase(mUndo.begin());
  mRedo.clear();
}

void ITextEntryControl::DeleteSelection() {
  const int start = SelectionStart();
  mText.erase(static_cast<std::size_t>(start), static_cast<std::size_t>(SelectionEnd() - start));
  mCaret = mAnchor = start;
}

void ITextEntryControl::Insert(const std::string& text) {
  RememberForUndo();
  DeleteSelection();
  mText.insert(static_cast<std::size_t>(mCaret), text);
  mCaret = mAnchor = mCaret + static_cast<int>(text.size());
  MarkDirty(false);
}

void ITextEntryControl::Copy() {
  if (IGraphics* g = GetUI(); g && SelectionEnd() > SelectionStart())
    g->SetClipboardText(mText.substr(static_cast<std::size_t>(SelectionStart()),
                                     static_cast<std::size_t>(SelectionEnd() - SelectionStart())));
}

void ITextEntryControl::Paste() {
  IGraphics* g = GetUI();
  if (!g) return;
  // Only what the filter and the length limit let through, up to the first
  // line break.
  const std::string clip = g->GetClipboardText();
  const int room = mMaxLength - (CharacterCount() - (SelectionEnd() - SelectionStart()));
  std::string accepted;
  int count = 0;
  for (std::size_t i = 0; i < clip.size() && count < room;) {
    std::size_t n = 1;
    while (i + n < clip.size() && IsContinuationByte(clip[i + n])) ++n;
    if (clip[i] == '\n' || clip[i] == '\r') break;
    KeyPress key;
    if (n < sizeof key.utf8) clip.copy(key.utf8, n, i);
    if (static_cast<unsigned char>(clip[i]) >= 0x20 && Accepts(mFilter, key)) {
      accepted.append(clip, i, n);
      ++count;
    }
    i += n;
  }
  if (!accepted.empty() || SelectionEnd() > SelectionStart()) Insert(accepted);
}

void ITextEntryControl::Undo() {
  if (mUndo.empty()) return;
  mRedo.push_back({mText, mCaret});
  mText = mUndo.back().text;
  mCaret = mAnchor = mUndo.back().caret;
  mUndo.pop_back();
  MarkDirty(false);
}

void ITextEntryControl::Redo() {
  if (mRedo.empty()) return;
  mUndo.push_back({mText, mCaret});
  mText = mRedo.back().text;
  mCaret = mAnchor = mRedo.back().caret;
  mRedo.pop_back();
  MarkDirty(false);
}

void ITextEntryControl::Commit() {
  const std::string text = mText;
  Hide();
  if (IGraphics* g = GetUI()) g->CommitTextEntry(text);
}

void ITextEntryControl::Cancel() {
  Hide();
  if (IGraphics* g = GetUI()) g->CancelTextEntry();
}

void ITextEntryControl::OnMouseDown(float x, float y, const MouseMods& mods) {
  if (!mActive) return;
  if (!mRect.Contains(x, y)) {
    Commit();
    return;
  }
  if (mods.R) {
    PopupMenu menu;
    const bool selection = SelectionEnd() > SelectionStart();
    menu.AddItem("Cut", selection ? 0 : PopupMenu::Item::kDisabled);
    menu.AddItem("Copy", selection ? 0 : PopupMenu::Item::kDisabled);
    menu.AddItem("Paste");
    if (IGraphics* g = GetUI()) g->ShowPopupMenu(this, menu, {x, y, x, y}, 0);
    return;
  }
  MoveCaret(PositionAt(x), mods.S);
}

void ITextEntryControl::OnMouseDrag(float x, float /*y*/, float /*dx*/, float /*dy*/, const MouseMods& mods) {
  if (mActive && mods.L) MoveCaret(PositionAt(x), true);
}

void ITextEntryControl::OnMouseDoubleClick(float x, float y, const MouseMods& mods) {
  if (!mActive) return;
  if (!mRect.Contains(x, y)) {
    Commit();
    return;
  }
  if (mods.L) {
    mAnchor = 0;
    MoveCaret(static_cast<int>(mText.size()), true);
  }
}

void ITextEntryControl::OnMenuChoice(PopupMenu* menu, int /*slot*/) {
  if (!menu || !mActive) return;
  switch (menu->ChosenItemIdx()) {
    case 0:
      Copy();
      Insert("");
      break;
    case 1:
      Copy();
      break;
    case 2:
      Paste();
      break;
    default:
      break;
  }
}

bool ITextEntryControl::OnControlKeyDown(float /*x*/, float /*y*/, const KeyPress& key) {
  if (!mActive) return false;
  const int end = static_cast<int>(mText.size());
  const bool selection = SelectionEnd() > SelectionStart();
  switch (key.vk) {
    case vk::kReturn:
      Commit();
      return true;
    case vk::kEscape:
      Cancel();
      return true;
    case vk::kTab:
      return true;
    case vk::kBack:
      if (!selection) mAnchor = PreviousBoundary(mCaret);
      if (SelectionEnd() > SelectionStart()) Insert("");
      return true;
    case vk::kDelete:
      if (!selection) mAnchor = NextBoundary(mCaret);
      if (SelectionEnd() > SelectionStart()) Insert("");
      return true;
    case vk::kLeft:
      MoveCaret(selection && !key.shift ? SelectionStart() : PreviousBoundary(mCaret), key.shift);
      return true;
    case vk::kRight:
      MoveCaret(selection && !key.shift ? SelectionEnd() : NextBoundary(mCaret), key.shift);
      return true;
    case vk::kUp:
    case vk::kHome:
    case vk::kPrior:
      MoveCaret(0, key.shift);
      return true;
    case vk::kDown:
    case vk::kEnd:
    case vk::kNext:
      MoveCaret(end, key.shift);
      return true;
    default:
      break;
  }
  if (IsCommand(key, 'A')) {
    mAnchor = 0;
    MoveCaret(end, true);
  } else if (IsCommand(key, 'C')) {
    Copy();
  } else if (IsCommand(key, 'X')) {
    if (selection) {
      Copy();
      Insert("");
    }
  } else if (IsCommand(key, 'V')) {
    Paste();
  } else if (IsCommand(key, 'Z')) {
    if (key.shift)
      Redo();
    else
      Undo();
  } else if (!key.control && !key.alt && static_cast<unsigned char>(key.utf8[0]) >= 0x20 &&
             key.utf8[0] != 0x7F && Accepts(mFilter, key)) {
    if (CharacterCount() - (SelectionEnd() - SelectionStart()) < mMaxLength) Insert(key.utf8);
  }
  // Every key belongs to the entry while it is active.
  return true;
}

void ITextEntryControl::Draw(IGraphics& g) {
  if (!mActive) return;
  g.FillRect(mTextStyle.entryBackground, mRect);
  TextStyle style = mTextStyle;
  style.color = mTextStyle.entryText;
  style.align = HAlign::Near;
  const float textLeft = mRect.L + kInnerMargin;
  auto offset = [&](int pos) {
    return textLeft + g.MeasureText(style, mText.substr(0, static_cast<std::size_t>(pos))).W();
  };
  if (SelectionEnd() > SelectionStart()) {
    const Color selection{255, 160, 190, 230};
    g.FillRect(selection, {offset(SelectionStart()), mRect.T + 1.0f, offset(SelectionEnd()), mRect.B - 1.0f});
  }
  g.DrawText(style, mText, {textLeft, mRect.T, mRect.R, mRect.B});
  const float caretX = offset(mCaret);
  g.DrawLine(style.color, caretX, mRect.T + 2.0f, caretX, mRect.B - 2.0f);
}

}  // namespace igraphics
