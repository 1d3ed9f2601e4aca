#pragma once
// Answers the next native popup menu of this thread as a person would, with
// the keyboard: arrow down to an item and Enter, or Escape. A thread timer
// fires inside the menu's own message loop, finds the menu window and posts
// the keys to it.
#include <windows.h>

namespace edhost {

class MenuDriver {
public:
  enum EAction { kChoose, kDismiss };
  MenuDriver(EAction action, int item);
  ~MenuDriver();
  MenuDriver(const MenuDriver&) = delete;
  MenuDriver& operator=(const MenuDriver&) = delete;

  bool SawMenu() const { return mSawMenu; }
  int ItemCount() const { return mItemCount; }

private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD);
  EAction mAction;
  int mItem;
  UINT_PTR mTimer = 0;
  bool mSawMenu = false;
  int mItemCount = -1;
};

}  // namespace edhost
