#pragma once
// The editor window's behaviour for window systems that offer no native text
// field, popup menu or tooltip: those are drawn over the editor's picture in
// a frame buffer that the back-end copies to its window. Window events come
// in as plain calls (pointer, keys, focus, ticks), so the behaviour is the
// Windows window's and can be driven without a window at all.
//
// Text field states: 0 none, 1 editing (just opened with the focus), 2 the
// editor repainted around it, 3 cancel requested, 4 commit requested; a
// request is carried out on the next tick. Enter or losing the focus commits;
// Escape, the wheel or a click elsewhere in the editor cancels.
//
// Threads: everything runs on the host's user-interface thread.
#include <memory>
#include <string>

#include "editor/IGraphics.h"
#include "editor/drawn/DrawnMenu.h"
#include "editor/drawn/DrawnTextField.h"

class IGraphicsDrawn : public IGraphics {
public:
  enum ETextEntryState {
    kTextEntryNone = 0,
    kTextEntryEditing = 1,
    kTextEntryRepainted = 2,
    kTextEntryCancel = 3,
    kTextEntryCommit = 4,
  };
  enum EButton { kButtonLeft = 1, kButtonMiddle = 2, kButtonRight = 3, kWheelUp = 4, kWheelDown = 5 };
  // Keys that are not characters, beside the controls' key codes.
  enum EKey { kKeyNone = -1, kKeyEnter = -2, kKeyEscape = -3, kKeyBackspace = -4, kKeyPaste = -5 };
  struct KeyInput {
    int code = kKeyNone;  // a control key code (EKeyCode) or one of EKey
    int character = 0;    // the character it types, 0 for none
  };

  // A second left press within this time and distance of the first is a
  // double click (the third press is a plain one again).
  static constexpr unsigned long kDoubleClickMs = 400;
  static constexpr int kDoubleClickDistance = 4;
  // The pointer rests this long on a control before its tooltip shows.
  static constexpr unsigned long kHoverMs = 400;
  // Moving further than this restarts the hover time.
  static constexpr int kHoverSlop = 2;

  IGraphicsDrawn(IPlugBase* plug, int width, int height, int fps = 25);
  ~IGraphicsDrawn() override;

  // ---- Window events, in client coordinates; times in milliseconds ----
  void OnButtonPress(int button, int x, int y, const IMouseMod& mod, unsigned long eventTime);
  void OnButtonRelease(int button, int x, int y, const IMouseMod& mod);
  // mod.L or mod.R held makes it a drag.
  void OnPointerMotion(int x, int y, const IMouseMod& mod, unsigned long now);
  void OnPointerLeave();
  // True when the editor used the key; the back-end passes the others on to
  // the host.
  bool OnKeyPress(const KeyInput& key);
  void OnFocusOut();
  // The window needs rect again.
  void OnExpose(const IRect& rect);
  // The redraw timer.
  void OnTick(unsigned long now);

  // ---- What is shown ----
  int GetTextEntryState() const { return mTextEntryState; }
  const DrawnTextField* GetTextField() const { return mTextField.get(); }
  const DrawnMenu* GetMenu() const { return mMenu.get(); }
  bool TooltipShowing() const { return mTooltipShowing; }
  // Text and place of the tooltip while it shows.
  const std::string& TooltipText() const { return mTooltipText; }
  IRect TooltipRect() const { return mTooltipShowing ? mTooltipRect : IRect(); }
  // The picture the window shows: the draw bitmap with the pieces above on top.
  LICE_IBitmap* GetFrame() const { return mFrame.get(); }

  // ---- Platform operations shared by such back-ends ----
  bool PresentToScreen(const IRect& rect) override;
  void CancelTextEntry() override;
  void Resize(int width, int height) override;
  // Runs the menu until a choice or dismissal, taking events through
  // WaitForEvents; the ticks go on meanwhile.
  IPopupMenu* ShowPopupMenu(IPopupMenu* menu, const IRect& rect) override;
  void ShowTextEntry(IControl* control, const IText& text, const IRect& rect, const char* initial,
                     IParameter* param) override;

protected:
  // Copies rect of the frame to the window.
  virtual bool BlitToWindow(const IRect& rect) = 0;
  // Waits up to timeoutMs for window events and hands each to the calls
  // above; false when the window is gone (which ends a menu).
  virtual bool WaitForEvents(int timeoutMs) = 0;
  // The window takes the keyboard focus (for a text field or after a click).
  virtual void TakeFocus() {}
  virtual unsigned long Now() const;
  // A tick when a timer period has passed since the last one.
  void TickIfDue();
  // Frame buffer of the window's size; released with the window.
  void CreateFrame();
  void ReleaseFrame();
  // Forgets the overlays and pointer state of a window that closes.
  void ResetWindowState();

private:
  void TrackPointer(int x, int y);
  void EndTextEntry();
  void DestroyTextEntry();
  void ShowTooltip();
  void HideTooltip();
  unsigned long TickPeriod() const;

  std::unique_ptr<LICE_MemBitmap> mFrame;
  std::unique_ptr<DrawnTextField> mTextField;
  int mTextEntryState = kTextEntryNone;
  std::unique_ptr<DrawnMenu> mMenu;
  // A menu's loop saw the release of the press that opened it.
  bool mMenuTookRelease = false;

  bool mTooltipShowing = false;
  int mTooltipIdx = -1;
  std::string mTooltipText;
  IRect mTooltipRect;
  unsigned long mHoverStart = 0;
  int mHoverX = -1, mHoverY = -1;
  bool mPointerInside = false;
  int mPointerX = -1, mPointerY = -1;

  // Left presses, for telling double clicks.
  bool mLastPressValid = false;
  unsigned long mLastPressTime = 0;
  int mLastPressX = 0, mLastPressY = 0;
  bool mCaptured = false;
  unsigned long mLastTick = 0;
};
