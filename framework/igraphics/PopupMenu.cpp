#include "PopupMenu.h"

#include <cstdio>

namespace igraphics {

PopupMenu::Item::Item(const Item& other)
    : mText(other.mText),
      mSubmenu(other.mSubmenu ? std::make_unique<PopupMenu>(*other.mSubmenu) : nullptr),
      mFlags(other.mFlags),
      mTag(other.mTag) {}

PopupMenu::Item& PopupMenu::Item::operator=(const Item& other) {
  if (this != &other) *this = Item(other);
  return *this;
}

PopupMenu::Item& PopupMenu::AddItem(std::string text, int flags, int tag) {
  return mItems.emplace_back(std::move(text), flags, tag);
}

PopupMenu::Item& PopupMenu::AddItem(std::string text, std::unique_ptr<PopupMenu> submenu) {
  return mItems.emplace_back(std::move(text), std::move(submenu));
}

PopupMenu::Item& PopupMenu::AddSeparator() { return mItems.emplace_back("", Item::kSeparator); }

PopupMenu::Item* PopupMenu::GetItem(int index) {
  return index >= 0 && index < NItems() ? &mItems[static_cast<std::size_t>(index)] : nullptr;
}

const PopupMenu::Item* PopupMenu::GetItem(int index) const {
  return index >= 0 && index < NItems() ? &mItems[static_cast<std::size_t>(index)] : nullptr;
}

std::string PopupMenu::DisplayText(int index) const {
  const Item* item = GetItem(index);
  if (!item) return {};
  static constexpr const char* kFormats[] = {"%1d: ", "%02d: ", "%03d: "};
  if (mPrefix < 1 || mPrefix > 3) return item->Text();
  char number[16];
  std::snprintf(number, sizeof number, kFormats[mPrefix - 1], index + 1);
  return number + item->Text();
}

}  // namespace igraphics
