// The in-editor text-entry host: a one-line edit field with caret,
// selection, clipboard, undo and redo, and a character filter for numeric
// parameters. While active it receives every mouse and key event; Enter or a
// press outside commits, Escape cancels.
#pragma once

#include <string>
#include <vector>

#include "IControl.h"

namespace igraphics {

// Which typed characters an entry accepts.
enum class EntryFilter {
  Any,      // no parameter: everything
  Real,     // Double: digits, "+", "-", "."
  Integer,  // Bool, Int, Enum: digits, "+", "-"
};

class ITextEntryControl : public IControl {
 public:
  explicit ITextEntryControl(const TextStyle& style);

  // Becomes active with the text (all of it selected); at most `maxLength`
  // characters can be typed.
  void Show(const Rect& bounds, const TextStyle& style, const std::string& text, EntryFilter filter,
            int maxLength);
  void Hide();
  bool IsActive() const { return mActive; }

  // Whether the filter lets a typed key's character in.
  static bool Accepts(EntryFilter filter, const KeyPress& key);

  const std::string& GetText() const { return mText; }
  // Byte offsets into the text.
  int Caret() const { return mCaret; }
  int SelectionStart() const { return std::min(mCaret, mAnchor); }
  int SelectionEnd() const { return std::max(mCaret, mAnchor); }

  void Draw(IGraphics& g) override;
  bool HitTest(float /*x*/, float /*y*/) const override { return mActive; }
  void OnMouseDown(float x, float y, const MouseMods& mods) override;
  void OnMouseDrag(float x, float y, float dx, float dy, const MouseMods& mods) override;
  void OnMouseDoubleClick(float x, float y, const MouseMods& mods) override;
  bool OnControlKeyDown(float x, float y, const KeyPress& key) override;
  // The Cut / Copy / Paste menu of a right press.
  void OnMenuChoice(PopupMenu* menu, int slot) override;

 private:
  struct Snapshot {
    std::string text;
    int caret = 0;
  };

  int CharacterCount() const;
  int PreviousBoundary(int pos) const;
  int NextBoundary(int pos) const;
  int PositionAt(float x);
  void MoveCaret(int pos, bool extend);
  void RememberForUndo();
  void DeleteSelection();
  void Insert(const std::string& text);
  void Copy();
  void Paste();
  void Undo();
  void Redo();
  void Commit();
  void Cancel();

  bool mActive = false;
  std::string mText;
  int mCaret = 0;
  int mAnchor = 0;
  EntryFilter mFilter = EntryFilter::Any;
  int mMaxLength = 7;
  std::vector<Snapshot> mUndo;
  std::vector<Snapshot> mRedo;
};

}  // namespace igraphics
