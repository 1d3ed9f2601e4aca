#pragma once
// The editor as an X11 window: a child window of the host's window, on an X
// connection of its own opened with the window and closed with it. The host
// drives it: VST2 hosts through editor idle, VST3 hosts through their run
// loop (a timer and the connection's descriptor); each call handles the
// waiting events and redraws once a timer period has passed. The text field,
// menus and tooltips are drawn into the editor's picture (IGraphicsDrawn).
//
// Keys: the window takes the keyboard focus when clicked (never grabbing the
// keyboard); keys the editor has no use for are sent on to the host's
// top-level window, so its shortcuts keep working.
//
// Threads: everything runs on the host's user-interface thread.
//
// The header stays free of Xlib's headers, whose macros (None, Bool, Status)
// would leak into every file that includes it.
#include <string>

#include "editor/drawn/IGraphicsDrawn.h"

struct _XDisplay;
struct _XImage;
struct _XGC;
union _XEvent;

class IGraphicsX11 : public IGraphicsDrawn {
public:
  IGraphicsX11(IPlugBase* plug, int width, int height, int fps = 25);
  ~IGraphicsX11() override;

  // ---- Platform operations ----
  void Resize(int width, int height) override;
  const char* GetDrawingBackendName() override { return "X11"; }
  // Message boxes, the colour chooser, file dialogs and opening web
  // addresses are not available: 0, false, an empty file name, false.
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  bool PromptForColor(IColor& color, const char* prompt) override;
  void PromptForFile(std::string& fileName, int action, std::string& directory, const char* extensions) override;
  bool OpenUrl(const char* url, const char* title, const char* confirmation, const char* error) override;
  void GetHostDirectory(std::string& out) override;
  void GetModuleDirectory(std::string& out) override;
  void GetDesktopDirectory(std::string& out) override;
  void GetAppDataDirectory(std::string& out, bool systemWide) override;
  // parent is the host window's X11 id (an XID in the pointer).
  void* OpenWindow(void* parent) override;
  void CloseWindow() override;
  void* GetWindowHandle() override;
  bool GetTextFromClipboard(std::string& out) override;
  void HideMouseCursor() override;
  void ShowMouseCursor() override;
  LICE_IBitmap* LoadPlatformBitmap(int id, const char* fileName) override;
  bool CanOpenHostWindow() const override { return true; }
  int GetWindowEventFd() const override;
  void OnHostIdle() override;

  // X resources (connections, windows, graphics contexts, pixmaps, cursors)
  // this module's editors hold right now.
  static int LiveResources();

protected:
  bool BlitToWindow(const IRect& rect) override;
  bool WaitForEvents(int timeoutMs) override;
  void TakeFocus() override;

private:
  void HandleEvent(_XEvent& event);
  void HandleKey(_XEvent& event);
  void ForwardToTopLevel(_XEvent& event);
  unsigned long TopLevel();
  bool CreateImage();
  void DestroyCursor();

  _XDisplay* mDisplay = nullptr;
  unsigned long mWindow = 0;
  unsigned long mParent = 0;
  unsigned long mTopLevel = 0;
  _XGC* mGC = nullptr;
  _XImage* mImage = nullptr;
  // The frame's layout is the visual's (32-bit little-endian 0x00RRGGBB):
  // put as it is; otherwise converted pixel by pixel into mImage's own data.
  bool mDirectImage = false;
  void* mVisual = nullptr;  // the window's Visual
  unsigned long mBlankCursor = 0;
  unsigned long mBlankPixmap = 0;
  IRect mExposed;
};
