// A menu to show the user: items with flags and optional submenus, the
// chosen item, and a callback run with the menu after a choice.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace igraphics {

class PopupMenu {
 public:
  class Item {
   public:
    enum Flags { kNoFlags = 0, kDisabled = 1, kTitle = 2, kChecked = 4, kSeparator = 8 };

    explicit Item(std::string text, int flags = kNoFlags, int tag = -1)
        : mText(std::move(text)), mFlags(flags), mTag(tag) {}
    Item(std::string text, std::unique_ptr<PopupMenu> submenu)
        : mText(std::move(text)), mSubmenu(std::move(submenu)) {}
    Item(const Item& other);
    Item& operator=(const Item& other);
    Item(Item&&) = default;
    Item& operator=(Item&&) = default;

    const std::string& Text() const { return mText; }
    void SetText(std::string text) { mText = std::move(text); }
    int Flags() const { return mFlags; }
    void SetFlags(int flags) { mFlags = flags; }
    int Tag() const { return mTag; }
    void SetTag(int tag) { mTag = tag; }
    bool Enabled() const { return (mFlags & kDisabled) == 0; }
    bool Checked() const { return (mFlags & kChecked) != 0; }
    bool IsTitle() const { return (mFlags & kTitle) != 0; }
    bool IsSeparator() const { return (mFlags & kSeparator) != 0; }
    void SetChecked(bool on) { mFlags = on ? (mFlags | kChecked) : (mFlags & ~kChecked); }
    void SetEnabled(bool on) { mFlags = on ? (mFlags & ~kDisabled) : (mFlags | kDisabled); }
    PopupMenu* Submenu() const { return mSubmenu.get(); }
    // A plain item can be chosen: not a title, separator, submenu holder or
    // disabled item.
    bool Choosable() const { return !mSubmenu && Enabled() && !IsTitle() && !IsSeparator(); }

   private:
    std::string mText;
    std::unique_ptr<PopupMenu> mSubmenu;
    int mFlags = kNoFlags;
    int mTag = -1;
  };

  using Callback = std::function<void(PopupMenu* menu)>;

  explicit PopupMenu(std::string title = "", int prefix = 0) : mTitle(std::move(title)), mPrefix(prefix) {}

  const std::string& Title() const { return mTitle; }
  void SetTitle(std::string title) { mTitle = std::move(title); }

  Item& AddItem(std::string text, int flags = Item::kNoFlags, int tag = -1);
  Item& AddItem(std::string text, std::unique_ptr<PopupMenu> submenu);
  Item& AddSeparator();
  void Clear() {
    mItems.clear();
    mChosen = -1;
  }

  int NItems() const { return static_cast<int>(mItems.size()); }
  Item* GetItem(int index);
  const Item* GetItem(int index) const;

  // 0 none, 1 "%1d: %s", 2 "%02d: %s", 3 "%03d: %s", numbering from 1
  // (native menus only).
  int Prefix() const { return mPrefix; }
  void SetPrefix(int prefix) { mPrefix = prefix; }
  // The item's text as a native menu shows it, with the prefix.
  std::string DisplayText(int index) const;
  // Items per column of a native menu (0: one column; up to 159 items).
  int ItemsPerColumn() const { return mItemsPerColumn; }
  void SetItemsPerColumn(int count) { mItemsPerColumn = count; }

  int ChosenItemIdx() const { return mChosen; }
  void SetChosenItemIdx(int index) { mChosen = index; }
  const Item* ChosenItem() const { return GetItem(mChosen); }

  void SetCallback(Callback callback) { mCallback = std::move(callback); }
  void RunCallback() {
    if (mCallback) mCallback(this);
  }

 private:
  std::string mTitle;
  std::vector<Item> mItems;
  int mPrefix = 0;
  int mItemsPerColumn = 0;
  int mChosen = -1;
  Callback mCallback;
};

}  // namespace igraphics
