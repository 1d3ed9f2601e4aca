#pragma once
// A popup menu drawn into the editor's picture: a column of items below the
// rectangle it was opened for, submenus beside their item, kept inside the
// editor. Pointer and keys drive it until an item is chosen or it is
// dismissed; the choice is reported with the command numbering of
// IPopupMenu (every item of every submenu, depth first), as native menus do.
#include <vector>

#include "editor/IGraphicsStructs.h"
#include "editor/IPopupMenu.h"

class DrawnMenu {
public:
  static constexpr int kItemHeight = 18;
  static constexpr int kSeparatorHeight = 7;
  static constexpr int kTextInset = 20;   // tick column
  static constexpr int kArrowColumn = 18; // submenu arrow
  static constexpr int kMinWidth = 80;

  enum EKey { kKeyUp, kKeyDown, kKeyLeft, kKeyRight, kKeyEnter, kKeyEscape };

  // The first column opens at (anchor.L, anchor.B), moved inside bounds.
  DrawnMenu(IPopupMenu* menu, const IRect& anchor, const IRect& bounds);

  void OnPointerMove(int x, int y);
  // A press outside every open column dismisses the menu; a press on a
  // submenu item opens it.
  void OnPress(int x, int y);
  // A release over an enabled command chooses it.
  void OnRelease(int x, int y);
  void OnKey(EKey key);

  bool Done() const { return mDone; }
  // The command id chosen, -1 while open or when dismissed.
  int ChosenCommandId() const { return mChosen; }

  // Columns open now (1 + open submenus) and where their items are drawn.
  int NColumns() const { return static_cast<int>(mColumns.size()); }
  IRect ColumnRect(int column) const;
  IRect ItemRect(int column, int item) const;
  // Everything open, for repainting what the menu covered.
  IRect Area() const;

  void Draw(LICE_IBitmap* dest, const IBitmap& glyphs, const IRect& clip) const;

private:
  struct Column {
    IPopupMenu* menu;
    int firstId;  // command id of its item 0
    IRect rect;
    int hot = -1;
  };

  void OpenColumn(IPopupMenu* menu, int firstId, int left, int top, int altRight);
  void CloseColumnsAfter(int column);
  bool Hit(int x, int y, int* column, int* item) const;
  bool Selectable(const Column& c, int item) const;
  // Command id of the first item of the submenu at item of column c.
  int SubmenuFirstId(const Column& c, int item) const;
  void Activate(int column, int item);
  void MoveHot(int step);

  IRect mBounds;
  std::vector<Column> mColumns;
  bool mDone = false;
  int mChosen = -1;
};
