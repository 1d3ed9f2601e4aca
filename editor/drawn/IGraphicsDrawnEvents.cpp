// Window events of IGraphicsDrawn, routed as the Windows window routes its
// messages: to an open menu first, then to the text field, then to the
// graphics core.
#include <cstdlib>

#include "editor/IControl.h"
#include "editor/drawn/IGraphicsDrawn.h"

void IGraphicsDrawn::OnButtonPress(int button, int x, int y, const IMouseMod& mod, unsigned long eventTime)
{
  TrackPointer(x, y);
  if (mMenu) {
    // The menu's clicks are not the window's: none starts a double click.
    mLastPressValid = false;
    if (button >= kButtonLeft && button <= kButtonRight) mMenu->OnPress(x, y);
    return;
  }
  HideTooltip();
  if (mTextField) {
    // Clicks in the field leave it to the typing; the wheel, or a click
    // anywhere else, abandons it.
    const bool wheel = button == kWheelUp || button == kWheelDown;
    if (wheel || !mTextField->Rect().Contains(x, y)) mTextEntryState = kTextEntryCancel;
    return;
  }
  if (button == kWheelUp || button == kWheelDown) {
    // A wheel event is a whole edit of its own: no gesture around it here.
    if (IControl* control = GetControl(FindControlAt(x, y, false)))
      control->OnMouseWheel(x, y, mod, button == kWheelUp ? 1 : -1);
    return;
  }
  if (button < kButtonLeft || button > kButtonRight) return;

  if (button == kButtonLeft) {
    const bool doubleClick = mLastPressValid && eventTime - mLastPressTime <= kDoubleClickMs &&
                             std::abs(x - mLastPressX) <= kDoubleClickDistance &&
                             std::abs(y - mLastPressY) <= kDoubleClickDistance;
    if (doubleClick) {
      mLastPressValid = false;
      TakeFocus();
      mCaptured = OnMouseDblClick(x, y, mod);
      return;
    }
    mLastPressValid = true;
    mLastPressTime = eventTime;
    mLastPressX = x;
    mLastPressY = y;
  } else {
    mLastPressValid = false;
  }
  TakeFocus();
  mCaptured = true;
  mMenuTookRelease = false;
  OnMouseDown(x, y, mod);
  // A menu opened by this press ran its own loop, which took the release:
  // the press still ends as presses do, closing the host's gesture.
  if (mMenuTookRelease) {
    mMenuTookRelease = false;
    mCaptured = false;
    OnMouseUp(x, y, IMouseMod(false, false, mod.S, mod.C, mod.A));
  }
}

void IGraphicsDrawn::OnButtonRelease(int button, int x, int y, const IMouseMod& mod)
{
  if (mMenu) {
    if (button >= kButtonLeft && button <= kButtonRight) {
      mMenu->OnRelease(x, y);
      mMenuTookRelease = true;
    }
    return;
  }
  // The middle button's release means nothing to the controls.
  if (button != kButtonLeft && button != kButtonRight) return;
  mCaptured = false;
  OnMouseUp(x, y, mod);
}

void IGraphicsDrawn::OnPointerMotion(int x, int y, const IMouseMod& mod, unsigned long now)
{
  TrackPointer(x, y);
  if (mMenu) {
    mMenu->OnPointerMove(x, y);
    return;
  }
  if (mod.L || mod.R) {
    if (mCaptured && !mTextField) OnMouseDrag(x, y, mod);
    return;
  }
  const bool moved = std::abs(x - mHoverX) > kHoverSlop || std::abs(y - mHoverY) > kHoverSlop;
  if (!OnMouseOver(x, y, mod)) return;
  if (!TooltipsEnabled()) return;
  if (GetMouseOver() != mTooltipIdx) {
    mTooltipIdx = GetMouseOver();
    HideTooltip();
  } else if (!moved || TooltipShowing()) {
    return;
  }
  mHoverStart = now;
  mHoverX = x;
  mHoverY = y;
}

void IGraphicsDrawn::TrackPointer(int x, int y)
{
  mPointerInside = true;
  mPointerX = x;
  mPointerY = y;
}

void IGraphicsDrawn::OnPointerLeave()
{
  mPointerInside = false;
  mPointerX = mPointerY = -1;
  if (mMenu) return;
  HideTooltip();
  mTooltipIdx = -1;
  OnMouseOut();
}

bool IGraphicsDrawn::OnKeyPress(const KeyInput& key)
{
  if (mMenu) {
    switch (key.code) {
      case kKeyUp: mMenu->OnKey(DrawnMenu::kKeyUp); break;
      case kKeyDown: mMenu->OnKey(DrawnMenu::kKeyDown); break;
      case kKeyLeft: mMenu->OnKey(DrawnMenu::kKeyLeft); break;
      case kKeyRight: mMenu->OnKey(DrawnMenu::kKeyRight); break;
      case kKeyEnter: mMenu->OnKey(DrawnMenu::kKeyEnter); break;
      case kKeyEscape: mMenu->OnKey(DrawnMenu::kKeyEscape); break;
      default: break;
    }
    return true;
  }
  if (mTextField) {
    HideTooltip();
    switch (key.code) {
      case kKeyEnter: mTextEntryState = kTextEntryCommit; break;
      case kKeyEscape: mTextEntryState = kTextEntryCancel; break;
      case kKeyBackspace: mTextField->Backspace(); break;
      case kKeyPaste: {
        std::string text;
        if (GetTextFromClipboard(text)) mTextField->Paste(text);
        break;
      }
      default:
        if (key.character) mTextField->Type(key.character);
        break;
    }
    PresentToScreen(mTextField->Rect());
    return true;
  }
  if (key.code < 0) return false;
  // Keys go to the control under the pointer, as on Windows.
  return OnKeyDown(mPointerX, mPointerY, key.code);
}

void IGraphicsDrawn::OnFocusOut()
{
  if (mTextField) mTextEntryState = kTextEntryCommit;
}

void IGraphicsDrawn::OnExpose(const IRect& rect) { Draw(rect); }
