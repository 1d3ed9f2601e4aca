#pragma once
// Answers the next native popup menu of this thread as a person would, with
// the keyboard: arrow down to an item and Enter, or Escape. A thread timer
// fires inside the menu's own message loop, finds the menu window and posts
// the keys to it.
#include <windows.h>

#include <functional>

namespace edhost {

class MenuDriver {
public:
  enum EAction { kChoose, kDismiss };
  // inspect, when given, sees the native menu before any key is sent.
  MenuDriver(EAction action, int item, std::function<void(HMENU)> inspect = nullptr);
  ~MenuDriver();
  MenuDriver(const MenuDriver&) = delete;
  MenuDriver& operator=(const MenuDriver&) = delete;

  bool SawMenu() const { return mSawMenu; }
  int ItemCount() const { return mItemCount; }
  // The native menu that was shown (destroyed by now, if its owner cleans up).
  HMENU Menu() const { return mMenu; }

private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD);
  EAction mAction;
  int mItem;
  std::function<void(HMENU)> mInspect;
  UINT_PTR mTimer = 0;
  bool mSawMenu = false;
  int mItemCount = -1;
  HMENU mMenu = nullptr;
};

}  // namespace edhost
