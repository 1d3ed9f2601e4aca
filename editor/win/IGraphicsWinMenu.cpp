// Popup menus: the menu description becomes a native popup menu whose command
// ids number every item of every (sub)menu in order, the same numbering the
// description uses to map a command back to its menu and item.
#include "editor/win/IGraphicsWin.h"

#include <windows.h>

namespace {

// Builds menu with its own items numbered from *nextId, then its submenus'
// items after them, depth first.
HMENU BuildNativeMenu(const IPopupMenu& menu, int* nextId)
{
  HMENU native = CreatePopupMenu();
  if (!native) return nullptr;
  const int firstId = *nextId;
  *nextId += menu.NItems();
  for (int i = 0; i < menu.NItems(); ++i) {
    const IPopupMenu::Item* item = menu.GetItem(i);
    const std::string text = menu.ItemText(i);
    if (item->mFlags & IPopupMenu::kItemSeparator) {
      AppendMenuA(native, MF_SEPARATOR, 0, nullptr);
    } else if (item->mSubmenu) {
      HMENU sub = BuildNativeMenu(*item->mSubmenu, nextId);
      if (sub) AppendMenuA(native, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), text.c_str());
    } else {
      UINT flags = MF_STRING;
      if (item->mFlags & IPopupMenu::kItemDisabled) flags |= MF_GRAYED;
      if (item->mFlags & IPopupMenu::kItemTitle) flags |= MF_DISABLED;
      if (item->mFlags & IPopupMenu::kItemChecked) flags |= MF_CHECKED;
      AppendMenuA(native, flags, static_cast<UINT_PTR>(firstId + i), text.c_str());
    }
  }
  return native;
}

}  // namespace

IPopupMenu* IGraphicsWin::ShowPopupMenu(IPopupMenu* menu, const IRect& rect)
{
  SetMouseCapture(-1);
  SetMousePosition(-1, -1);
  if (!menu || !mPlugWnd) return nullptr;

  int nextId = 0;
  HMENU native = BuildNativeMenu(*menu, &nextId);
  if (!native) return nullptr;
  POINT p{rect.L, rect.B};
  ClientToScreen(mPlugWnd, &p);
  IPopupMenu* chosen = nullptr;
  // Without TPM_RETURNCMD a choice arrives as a posted command, which also
  // tells the first item (id 0) from no choice at all.
  if (TrackPopupMenu(native, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, p.x, p.y, 0, mPlugWnd, nullptr)) {
    MSG msg;
    if (PeekMessageA(&msg, mPlugWnd, WM_COMMAND, WM_COMMAND, PM_REMOVE) && HIWORD(msg.wParam) == 0) {
      int itemIdx = -1;
      chosen = menu->MenuForCommandId(LOWORD(msg.wParam), &itemIdx);
      if (chosen) chosen->SetChosenItemIdx(itemIdx);
    }
  }
  DestroyMenu(native);
  InvalidateRect(mPlugWnd, nullptr, FALSE);
  return chosen;
}
