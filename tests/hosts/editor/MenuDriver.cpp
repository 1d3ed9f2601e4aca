#include "tests/hosts/editor/MenuDriver.h"

#include <utility>

namespace edhost {
namespace {
MenuDriver* sActive = nullptr;
}

MenuDriver::MenuDriver(EAction action, int item, std::function<void(HMENU)> inspect)
    : mAction(action), mItem(item), mInspect(std::move(inspect))
{
  sActive = this;
  mTimer = SetTimer(nullptr, 0, 100, OnTimer);
}

MenuDriver::~MenuDriver()
{
  if (mTimer) KillTimer(nullptr, mTimer);
  sActive = nullptr;
}

void CALLBACK MenuDriver::OnTimer(HWND, UINT, UINT_PTR, DWORD)
{
  MenuDriver* self = sActive;
  if (!self || self->mSawMenu) return;
  HWND menu = FindWindowA("#32768", nullptr);
  if (!menu || !IsWindowVisible(menu)) return;
  self->mSawMenu = true;
  HMENU handle = reinterpret_cast<HMENU>(SendMessageA(menu, MN_GETHMENU, 0, 0));
  self->mMenu = handle;
  self->mItemCount = handle ? GetMenuItemCount(handle) : -1;
  if (self->mInspect && handle) self->mInspect(handle);
  if (self->mAction == kDismiss) {
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    return;
  }
  for (int i = 0; i <= self->mItem; ++i) PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
}

}  // namespace edhost
