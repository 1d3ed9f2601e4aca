#include "editor/drawn/DrawnMenu.h"

#include <algorithm>

#include "editor/drawn/OverlayPaint.h"

namespace {

constexpr LICE_pixel kPanel = LICE_RGBA(242, 242, 242, 255);
constexpr LICE_pixel kBorder = LICE_RGBA(128, 128, 128, 255);
constexpr LICE_pixel kHot = LICE_RGBA(204, 232, 255, 255);
constexpr LICE_pixel kRule = LICE_RGBA(200, 200, 200, 255);
constexpr LICE_pixel kInk = LICE_RGBA(0, 0, 0, 255);
constexpr int kBlocked = IPopupMenu::kItemDisabled | IPopupMenu::kItemTitle | IPopupMenu::kItemSeparator;

int ItemHeight(const IPopupMenu::Item& item)
{
  return (item.mFlags & IPopupMenu::kItemSeparator) ? DrawnMenu::kSeparatorHeight : DrawnMenu::kItemHeight;
}

}  // namespace

DrawnMenu::DrawnMenu(IPopupMenu* menu, const IRect& anchor, const IRect& bounds) : mBounds(bounds)
{
  if (!menu) {
    mDone = true;
    return;
  }
  OpenColumn(menu, 0, anchor.L, anchor.B, bounds.R);
}

void DrawnMenu::OpenColumn(IPopupMenu* menu, int firstId, int left, int top, int altRight)
{
  int width = kMinWidth, height = 4;
  for (int i = 0; i < menu->NItems(); ++i) {
    width = std::max(width, overlay::TextWidth(menu->ItemText(i).c_str()) + kTextInset + kArrowColumn + 4);
    height += ItemHeight(*menu->GetItem(i));
  }
  // Kept inside the editor: moved left of its parent (or of the right edge)
  // and up from the bottom when it would not fit.
  if (left + width > mBounds.R) left = altRight - width;
  left = std::max(left, mBounds.L);
  if (top + height > mBounds.B) top = mBounds.B - height;
  top = std::max(top, mBounds.T);
  Column column{menu, firstId, IRect(left, top, left + width, top + height)};
  mColumns.push_back(column);
}

void DrawnMenu::CloseColumnsAfter(int column)
{
  if (column + 1 < NColumns()) mColumns.resize(static_cast<size_t>(column + 1));
}

IRect DrawnMenu::ColumnRect(int column) const
{
  return column >= 0 && column < NColumns() ? mColumns[column].rect : IRect();
}

IRect DrawnMenu::ItemRect(int column, int item) const
{
  if (column < 0 || column >= NColumns()) return IRect();
  const Column& c = mColumns[column];
  if (item < 0 || item >= c.menu->NItems()) return IRect();
  int y = c.rect.T + 2;
  for (int i = 0; i < item; ++i) y += ItemHeight(*c.menu->GetItem(i));
  return IRect(c.rect.L + 2, y, c.rect.R - 2, y + ItemHeight(*c.menu->GetItem(item)));
}

IRect DrawnMenu::Area() const
{
  IRect area;
  for (const Column& c : mColumns) area = area.Union(c.rect);
  return area;
}

bool DrawnMenu::Hit(int x, int y, int* column, int* item) const
{
  for (int c = NColumns() - 1; c >= 0; --c) {
    if (!mColumns[c].rect.Contains(x, y)) continue;
    *column = c;
    *item = -1;
    for (int i = 0; i < mColumns[c].menu->NItems(); ++i)
      if (ItemRect(c, i).Contains(x, y)) *item = i;
    return true;
  }
  return false;
}

bool DrawnMenu::Selectable(const Column& c, int item) const
{
  const IPopupMenu::Item* it = c.menu->GetItem(item);
  return it && !(it->mFlags & kBlocked);
}

int DrawnMenu::SubmenuFirstId(const Column& c, int item) const
{
  int id = c.firstId + c.menu->NItems();
  for (int i = 0; i < item; ++i)
    if (const IPopupMenu::Item* it = c.menu->GetItem(i); it->mSubmenu) id += it->mSubmenu->NCommandIds();
  return id;
}

void DrawnMenu::OnPointerMove(int x, int y)
{
  int column = -1, item = -1;
  if (mDone || !Hit(x, y, &column, &item)) return;
  Column& c = mColumns[column];
  const IPopupMenu::Item* it = c.menu->GetItem(item);
  c.hot = it && !(it->mFlags & IPopupMenu::kItemSeparator) ? item : -1;
  const bool submenuOpen = column + 1 < NColumns() && it && mColumns[column + 1].menu == it->mSubmenu.get();
  if (!submenuOpen) CloseColumnsAfter(column);
  if (!submenuOpen && it && it->mSubmenu && Selectable(c, item)) {
    const IRect r = ItemRect(column, item);
    OpenColumn(it->mSubmenu.get(), SubmenuFirstId(c, item), c.rect.R - 2, r.T - 2, c.rect.L + 2);
  }
}

void DrawnMenu::OnPress(int x, int y)
{
  int column = -1, item = -1;
  if (mDone) return;
  if (!Hit(x, y, &column, &item)) {
    mDone = true;
    mChosen = -1;
    return;
  }
  OnPointerMove(x, y);
}

void DrawnMenu::OnRelease(int x, int y)
{
  int column = -1, item = -1;
  if (!mDone && Hit(x, y, &column, &item)) Activate(column, item);
}

void DrawnMenu::Activate(int column, int item)
{
  const Column& c = mColumns[column];
  const IPopupMenu::Item* it = c.menu->GetItem(item);
  if (!it || !Selectable(c, item) || it->mSubmenu) return;
  mChosen = c.firstId + item;
  mDone = true;
}

void DrawnMenu::MoveHot(int step)
{
  Column& c = mColumns.back();
  const int n = c.menu->NItems();
  int i = c.hot;
  for (int tries = 0; tries < n; ++tries) {
    i = i < 0 ? (step > 0 ? 0 : n - 1) : (i + step + n) % n;
    if (Selectable(c, i)) {
      c.hot = i;
      return;
    }
  }
}

void DrawnMenu::OnKey(EKey key)
{
  if (mDone) return;
  const int last = NColumns() - 1;
  Column& c = mColumns[last];
  const IPopupMenu::Item* hot = c.menu->GetItem(c.hot);
  switch (key) {
    case kKeyUp: MoveHot(-1); break;
    case kKeyDown: MoveHot(1); break;
    case kKeyLeft:
      if (last > 0) mColumns.pop_back();
      break;
    case kKeyRight:
    case kKeyEnter:
      if (hot && hot->mSubmenu && Selectable(c, c.hot)) {
        const IRect r = ItemRect(last, c.hot);
        OpenColumn(hot->mSubmenu.get(), SubmenuFirstId(c, c.hot), c.rect.R - 2, r.T - 2, c.rect.L + 2);
        MoveHot(1);
      } else if (key == kKeyEnter && hot) {
        Activate(last, c.hot);
      }
      break;
    case kKeyEscape:
      if (last > 0) {
        mColumns.pop_back();
      } else {
        mDone = true;
        mChosen = -1;
      }
      break;
  }
}

void DrawnMenu::Draw(LICE_IBitmap* dest, const IBitmap& glyphs, const IRect& clip) const
{
  for (int col = 0; col < NColumns(); ++col) {
    const Column& c = mColumns[col];
    if (!c.rect.Intersects(clip)) continue;
    const IRect area = c.rect.Intersect(clip);
    overlay::FillRect(dest, c.rect, kPanel, area);
    overlay::FrameRect(dest, c.rect, kBorder, area);
    for (int i = 0; i < c.menu->NItems(); ++i) {
      const IPopupMenu::Item& item = *c.menu->GetItem(i);
      const IRect r = ItemRect(col, i);
      if (item.mFlags & IPopupMenu::kItemSeparator) {
        const int y = (r.T + r.B) / 2;
        overlay::FillRect(dest, IRect(r.L + 4, y, r.R - 4, y + 1), kRule, area);
        continue;
      }
      if (i == c.hot && !(item.mFlags & IPopupMenu::kItemTitle)) overlay::FillRect(dest, r, kHot, area);
      const float opacity = (item.mFlags & IPopupMenu::kItemDisabled) ? 0.4f : 1.0f;
      const int textY = r.T + (kItemHeight - overlay::kGlyphHeight) / 2;
      overlay::DrawText(dest, glyphs, c.menu->ItemText(i).c_str(), r.L + kTextInset - 2, textY, area, opacity);
      if (item.mFlags & IPopupMenu::kItemChecked) {
        // A tick: a short stroke down to the right, a long one up.
        const int x0 = r.L + 5, y0 = r.T + 9;
        for (int k = 0; k < 3; ++k) overlay::FillRect(dest, IRect(x0 + k, y0 + k, x0 + k + 2, y0 + k + 2), kInk, area);
        for (int k = 0; k < 6; ++k)
          overlay::FillRect(dest, IRect(x0 + 3 + k, y0 + 1 - k, x0 + 5 + k, y0 + 3 - k), kInk, area);
      }
      if (item.mSubmenu) {
        // A small triangle pointing right.
        const int x0 = r.R - 12, yc = (r.T + r.B) / 2;
        for (int k = 0; k < 4; ++k) overlay::FillRect(dest, IRect(x0 + k, yc - 3 + k, x0 + k + 1, yc + 4 - k), kInk, area);
      }
    }
  }
}
