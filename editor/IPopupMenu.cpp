#include "editor/IPopupMenu.h"

#include <cstdio>

IPopupMenu::Item& IPopupMenu::AddItem(const char* text, int flags, IPopupMenu* submenu)
{
  Item item;
  item.mText = text ? text : "";
  item.mFlags = flags;
  item.mSubmenu.reset(submenu);
  mItems.push_back(std::move(item));
  return mItems.back();
}

std::string IPopupMenu::ItemText(int i) const
{
  const Item* item = GetItem(i);
  if (!item) return std::string();
  static const char* const kFormats[] = {nullptr, "%1d: %s", "%02d: %s", "%03d: %s"};
  if (mPrefix < kPrefixOneDigit || mPrefix > kPrefixThreeDigits) return item->mText;
  const int size = std::snprintf(nullptr, 0, kFormats[mPrefix], i + 1, item->mText.c_str());
  std::string out(static_cast<size_t>(size) + 1, '\0');
  std::snprintf(&out[0], out.size(), kFormats[mPrefix], i + 1, item->mText.c_str());
  out.resize(static_cast<size_t>(size));
  return out;
}

int IPopupMenu::NCommandIds() const
{
  int n = NItems();
  for (const Item& item : mItems)
    if (item.mSubmenu) n += item.mSubmenu->NCommandIds();
  return n;
}

IPopupMenu* IPopupMenu::MenuForCommandId(int id, int* itemIdx)
{
  if (id < 0) return nullptr;
  if (id < NItems()) {
    if (itemIdx) *itemIdx = id;
    return this;
  }
  id -= NItems();
  for (Item& item : mItems) {
    if (!item.mSubmenu) continue;
    const int n = item.mSubmenu->NCommandIds();
    if (id < n) return item.mSubmenu->MenuForCommandId(id, itemIdx);
    id -= n;
  }
  return nullptr;
}
