#include "tests/hosts/editor/EditorHost.h"

#include <commctrl.h>

#include <cstdio>
#include <memory>


namespace edhost {
namespace {

const char kHostClass[] = "VorblexEditorTestHost";

std::uint32_t Rgb(std::uint32_t pixel) { return pixel & 0xFFFFFFu; }

}  // namespace

HostWindow::HostWindow(int width, int height, int x, int y)
{
  static bool registered = false;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!registered) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kHostClass;
    registered = RegisterClassA(&wc) != 0;
  }
  mWnd = CreateWindowExA(0, kHostClass, "Vorblex editor test host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, y,
                         width, height, nullptr, nullptr, instance, this);
  Pump(50);
}

HostWindow::~HostWindow()
{
  if (mWnd) DestroyWindow(mWnd);
  Pump(10);
}

LRESULT CALLBACK HostWindow::Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
  if (self && (msg == WM_KEYDOWN || msg == WM_KEYUP || msg == WM_SYSKEYDOWN || msg == WM_SYSKEYUP)) {
    self->mKeys.push_back(Key{msg, wParam});
    return 0;
  }
  if (msg == WM_NCDESTROY && self) self->mWnd = nullptr;
  return DefWindowProcA(wnd, msg, wParam, lParam);
}

void Pump(int ms)
{
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(2);
  } while (std::chrono::steady_clock::now() < end);
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs)
{
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return done();
    Pump(5);
  }
  return true;
}

HWND FindEditor(HWND parent) { return parent ? FindWindowExA(parent, nullptr, "IPlugWndClass", nullptr) : nullptr; }

HWND FindTextField(HWND editor) { return editor ? GetDlgItem(editor, 99) : nullptr; }

namespace {
struct OwnedSearch {
  HWND owner;
  const char* className;
  HWND found;
  int count;
};

BOOL CALLBACK VisitThreadWindow(HWND wnd, LPARAM data)
{
  auto* search = reinterpret_cast<OwnedSearch*>(data);
  ++search->count;
  char name[64];
  if (search->className && GetClassNameA(wnd, name, sizeof(name)) && lstrcmpiA(name, search->className) == 0 &&
      GetWindow(wnd, GW_OWNER) == search->owner)
    search->found = wnd;
  return TRUE;
}
}  // namespace

HWND FindTooltip(HWND editor)
{
  // A popup asked to be owned by a child window is owned by its top-level window.
  OwnedSearch search{GetAncestor(editor, GA_ROOT), TOOLTIPS_CLASSA, nullptr, 0};
  EnumThreadWindows(GetCurrentThreadId(), VisitThreadWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int CountThreadWindows()
{
  OwnedSearch search{nullptr, nullptr, nullptr, 0};
  EnumThreadWindows(GetCurrentThreadId(), VisitThreadWindow, reinterpret_cast<LPARAM>(&search));
  return search.count;
}

std::string TooltipText(HWND tooltip, HWND editor)
{
  if (!tooltip) return "<no tooltip window>";
  char text[256] = {};
  TOOLINFOA info = {};
  info.cbSize = TTTOOLINFOA_V2_SIZE;
  info.hwnd = editor;
  info.uId = reinterpret_cast<UINT_PTR>(editor);
  info.lpszText = text;
  SendMessageA(tooltip, TTM_GETTEXTA, sizeof(text), reinterpret_cast<LPARAM>(&info));
  return text;
}

bool EditorClassRegistered(HMODULE module)
{
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof(wc);
  return GetClassInfoExA(module, "IPlugWndClass", &wc) != 0;
}

void PostMouse(HWND wnd, UINT msg, WPARAM keys, int x, int y)
{
  PostMessageA(wnd, msg, keys, MAKELPARAM(x, y));
}

void Click(HWND wnd, int x, int y)
{
  // The press is delivered before the release is posted: a press may open a
  // menu whose own loop would otherwise take the release.
  PostMouse(wnd, WM_LBUTTONDOWN, MK_LBUTTON, x, y);
  Pump(10);
  PostMouse(wnd, WM_LBUTTONUP, 0, x, y);
  Pump(20);
}

void Drag(HWND wnd, int x, int y, int dx, int dy)
{
  PostMouse(wnd, WM_LBUTTONDOWN, MK_LBUTTON, x, y);
  Pump(10);
  PostMouse(wnd, WM_MOUSEMOVE, MK_LBUTTON, x + dx / 2, y + dy / 2);
  PostMouse(wnd, WM_MOUSEMOVE, MK_LBUTTON, x + dx, y + dy);
  Pump(10);
  PostMouse(wnd, WM_LBUTTONUP, 0, x + dx, y + dy);
  Pump(20);
}

void Wheel(HWND wnd, int x, int y, int notches)
{
  POINT p{x, y};
  ClientToScreen(wnd, &p);
  PostMessageA(wnd, WM_MOUSEWHEEL, MAKEWPARAM(0, notches * WHEEL_DELTA), MAKELPARAM(p.x, p.y));
  Pump(20);
}

std::vector<std::uint32_t> Capture(HWND wnd, int width, int height)
{
  std::vector<std::uint32_t> pixels(static_cast<size_t>(width) * height, 0);
  HDC windowDC = GetDC(wnd);
  HDC memDC = CreateCompatibleDC(windowDC);
  BITMAPINFO bmi = {};
  bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
  bmi.bmiHeader.biWidth = width;
  bmi.bmiHeader.biHeight = -height;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(memDC, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (section && bits) {
    HGDIOBJ old = SelectObject(memDC, section);
    BitBlt(memDC, 0, 0, width, height, windowDC, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* src = static_cast<const std::uint32_t*>(bits);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = Rgb(src[i]);
    SelectObject(memDC, old);
  }
  if (section) DeleteObject(section);
  DeleteDC(memDC);
  ReleaseDC(wnd, windowDC);
  return pixels;
}

RECT ControlRect(int idx)
{
  const ControlBox box = ControlArea(idx);
  return RECT{box.left, box.top, box.right, box.bottom};
}

}  // namespace edhost
