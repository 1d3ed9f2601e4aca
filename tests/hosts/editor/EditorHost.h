#pragma once
// What a host does around a plug-in's editor window: a visible top-level
// window to open it in, a message loop, mouse and key messages posted to the
// editor as the system would send them, and a look at the window's pixels.
// The reference picture comes from the same editor drawn without a window.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/hosts/editor/EditorFacts.h"

namespace edhost {

// A visible top-level window at (x, y) whose client area is width x height. It
// records the key messages that reach it.
class HostWindow {
public:
  HostWindow(int width = kEditorWidth, int height = kEditorHeight, int x = 0, int y = 0);
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  HWND Handle() const { return mWnd; }
  struct Key {
    UINT msg;
    WPARAM key;
  };
  const std::vector<Key>& Keys() const { return mKeys; }

private:
  static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  HWND mWnd = nullptr;
  std::vector<Key> mKeys;
};

// Delivers this thread's messages for ms milliseconds.
void Pump(int ms);
// Delivers messages until done() or the timeout; the final answer of done().
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000);

// The editor's window inside parent (class "IPlugWndClass"), or null.
HWND FindEditor(HWND parent);
// The text field (child 99) of an editor window, or null.
HWND FindTextField(HWND editor);
// The editor's tooltip window, or null.
HWND FindTooltip(HWND editor);
std::string TooltipText(HWND tooltip, HWND editor);
// Top-level windows of this thread, visible or not.
int CountThreadWindows();
// Whether the module has the editor's window class registered.
bool EditorClassRegistered(HMODULE module);

// Messages as the system posts them, in client coordinates of wnd.
void PostMouse(HWND wnd, UINT msg, WPARAM keys, int x, int y);
void Click(HWND wnd, int x, int y);
void Drag(HWND wnd, int x, int y, int dx, int dy);
void Wheel(HWND wnd, int x, int y, int notches);

// The window's pixels as 0xRRGGBB, row by row, read back from its device context.
std::vector<std::uint32_t> Capture(HWND wnd, int width = kEditorWidth, int height = kEditorHeight);
// Rectangle where control idx of the editor takes clicks (see ControlArea).
RECT ControlRect(int idx);

}  // namespace edhost
