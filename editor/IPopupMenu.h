#pragma once
// Description of a popup menu: items with flags and optional submenus. The
// platform turns it into a native menu and reports the choice back by storing
// the chosen item in the (sub)menu it belongs to.
#include <memory>
#include <string>
#include <vector>

class IPopupMenu {
public:
  enum EPrefix { kPrefixNone = 0, kPrefixOneDigit = 1, kPrefixTwoDigits = 2, kPrefixThreeDigits = 3 };
  enum EItemFlags { kItemDisabled = 1, kItemTitle = 2, kItemChecked = 4, kItemSeparator = 8 };

  struct Item {
    std::string mText;
    int mFlags = 0;
    std::unique_ptr<IPopupMenu> mSubmenu;
  };

  explicit IPopupMenu(int prefix = kPrefixNone) : mPrefix(prefix) {}

  // The menu takes ownership of submenu.
  Item& AddItem(const char* text, int flags = 0, IPopupMenu* submenu = nullptr);
  Item& AddSeparator() { return AddItem("", kItemSeparator); }

  int NItems() const { return static_cast<int>(mItems.size()); }
  const Item* GetItem(int i) const { return i >= 0 && i < NItems() ? &mItems[i] : nullptr; }
  // Text as shown, with the numbering prefix applied.
  std::string ItemText(int i) const;
  int GetPrefix() const { return mPrefix; }
  int GetChosenItemIdx() const { return mChosen; }
  void SetChosenItemIdx(int i) { mChosen = i; }

  // Native command ids number every item from 0: a menu's own items first,
  // then the items of each submenu in item order, depth first.
  int NCommandIds() const;
  // The (sub)menu holding command id, with the item index there; null when the
  // id is out of range.
  IPopupMenu* MenuForCommandId(int id, int* itemIdx);

private:
  int mPrefix;
  int mChosen = -1;
  std::vector<Item> mItems;
};
