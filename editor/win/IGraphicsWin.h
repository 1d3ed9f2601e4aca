#pragma once
// The editor as a Windows window: a child window of class "IPlugWndClass"
// inside the host's window, redrawn on a timer from the draw bitmap, turning
// window messages into graphics-core events, with the native pieces the
// controls ask for (text field, popup menus, tooltips, dialogs).
//
// Threads: everything here runs on the host's user-interface thread. The
// class registration count and the frames-per-second value are shared by the
// editors of one module and touched only from that thread.
//
// The header stays free of <windows.h>, whose macros would rename members of
// the graphics core (LoadBitmap) in every file that includes it; the handle
// types below are the ones <windows.h> declares.
#include <cstdint>
#include <string>

#include "editor/IGraphics.h"

struct HWND__;
struct HINSTANCE__;
struct HFONT__;
struct HDC__;

class IGraphicsWin : public IGraphics {
public:
  // Text field states.
  enum ETextEntryState {
    kTextEntryNone = 0,
    kTextEntryEditing = 1,   // the field has the focus
    kTextEntryRepainted = 2, // the editor repainted around it
    kTextEntryCancel = 3,
    kTextEntryCommit = 4,
  };
  static constexpr unsigned kTimerId = 2;
  static constexpr int kTextEntryChildId = 99;
  // Marks a text field window in its user data.
  static constexpr unsigned long kTextEntryMarker = 0xdeadf00bUL;

  IGraphicsWin(IPlugBase* plug, int width, int height, int fps = 25);
  ~IGraphicsWin() override;

  // The module whose window class, resources and dialogs the editor uses.
  // Defaults to the module this code is linked into.
  void SetHInstance(HINSTANCE__* instance) { mHInstance = instance; }
  HINSTANCE__* GetHInstance() const { return mHInstance; }

  // ---- Platform operations ----
  bool PresentToScreen(const IRect& rect) override;
  void CancelTextEntry() override;
  void Resize(int width, int height) override;
  const char* GetDrawingBackendName() override { return "Windows GDI"; }
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  IPopupMenu* ShowPopupMenu(IPopupMenu* menu, const IRect& rect) override;
  void ShowTextEntry(IControl* control, const IText& text, const IRect& rect, const char* initial,
                     IParameter* param) override;
  void GetHostDirectory(std::string& out) override;
  void GetModuleDirectory(std::string& out) override;
  void GetDesktopDirectory(std::string& out) override;
  void GetAppDataDirectory(std::string& out, bool systemWide) override;
  void PromptForFile(std::string& fileName, int action, std::string& directory, const char* extensions) override;
  bool PromptForColor(IColor& color, const char* prompt) override;
  bool OpenUrl(const char* url, const char* title, const char* confirmation, const char* error) override;
  void* OpenWindow(void* parent) override;
  void CloseWindow() override;
  void* GetWindowHandle() override { return mPlugWnd; }
  bool GetTextFromClipboard(std::string& out) override;
  void HideMouseCursor() override;
  void ShowMouseCursor() override;
  LICE_IBitmap* LoadPlatformBitmap(int id, const char* fileName) override;
  bool CanOpenHostWindow() const override { return true; }

  // The outermost window around the editor (owner of message boxes, target
  // of the keys the editor does not use).
  HWND__* GetMainWnd();
  int GetTextEntryState() const { return mParamEditState; }
  HWND__* GetTextEntryWindow() const { return mParamEditWnd; }
  HWND__* GetTooltipWindow() const { return mTooltipWnd; }

  // Editor windows of this module open right now (the class registration count).
  static int OpenWindowCount();

private:
  // The window procedures (editor/win/IGraphicsWinProcs.h) hand messages here.
  friend struct IGraphicsWinProcs;
  std::intptr_t HandleMessage(HWND__* hWnd, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam);
  std::intptr_t HandleParamEditMessage(HWND__* hWnd, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam);
  void OnTimer();
  // Commits or cancels a finished text field and removes it.
  void EndTextEntry();
  void DestroyTextEntry();
  void OnMouseMoveMessage(std::uintptr_t wParam, std::intptr_t lParam);
  void ForwardToMainWnd(unsigned msg, std::uintptr_t wParam, std::intptr_t lParam);

  void CreateTooltips();
  void ShowTooltip();
  void HideTooltip();
  void SetTooltipText(const char* text);

  HINSTANCE__* mHInstance;
  HWND__* mPlugWnd = nullptr;
  HWND__* mParamEditWnd = nullptr;
  HWND__* mTooltipWnd = nullptr;
  HWND__* mParentWnd = nullptr;
  HWND__* mMainWnd = nullptr;
  // Class name of the top-level window, to find it again without a parent.
  std::string mMainWndClassName;
  IControl* mEdControl = nullptr;
  IParameter* mEdParam = nullptr;
  void* mDefEditProc = nullptr;  // the edit control's own window procedure
  HFONT__* mEditFont = nullptr;
  int mParamEditState = kTextEntryNone;
  bool mShowingTooltip = false;
  int mTooltipIdx = -1;
  // DC of the paint in progress, so presenting during WM_PAINT uses it.
  HDC__* mPaintDC = nullptr;
  unsigned long* mCustomColors = nullptr;  // 16 COLORREFs of the colour chooser
};
