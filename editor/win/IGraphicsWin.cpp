// The editor window's life: class registration shared by the editors of the
// module, opening inside the host's window, closing, presenting the draw
// bitmap, resizing and finding the host's top-level window.
#include "editor/win/IGraphicsWin.h"

#include "editor/win/IGraphicsWinProcs.h"

#include <commctrl.h>

#include <cstdlib>

#include "editor/raster/LICE_Png.h"
#include "framework/IPlugBase.h"

namespace {

const char kWndClassName[] = "IPlugWndClass";

// Editor windows of this module; the class lives while one is open.
int sWndClassRefs = 0;

HINSTANCE ThisModule()
{
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ThisModule), &module);
  return module;
}

void ReleaseWndClass(HINSTANCE instance)
{
  if (--sWndClassRefs == 0) UnregisterClassA(kWndClassName, instance);
}

}  // namespace

int IGraphicsWin::OpenWindowCount() { return sWndClassRefs; }

IGraphicsWin::IGraphicsWin(IPlugBase* plug, int width, int height, int fps)
    : IGraphics(plug, width, height, fps), mHInstance(ThisModule())
{
}

IGraphicsWin::~IGraphicsWin()
{
  CloseWindow();
  std::free(mCustomColors);
  mCustomColors = nullptr;
}

void* IGraphicsWin::OpenWindow(void* parentWindow)
{
  HWND parent = static_cast<HWND>(parentWindow);
  int x = 0, y = 0, w = Width(), h = Height();
  if (mPlugWnd) {
    // A second open takes the place and size of the window it replaces.
    RECT r;
    GetWindowRect(mPlugWnd, &r);
    POINT topLeft{r.left, r.top};
    ScreenToClient(parent, &topLeft);
    x = topLeft.x;
    y = topLeft.y;
    w = r.right - r.left;
    h = r.bottom - r.top;
    CloseWindow();
  }

  if (sWndClassRefs++ == 0) {
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = IGraphicsWinProcs::WndProc;
    wc.hInstance = mHInstance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kWndClassName;
    RegisterClassA(&wc);
  }
  mParentWnd = parent;
  mPlugWnd = CreateWindowA(kWndClassName, "IPlug", WS_CHILD | WS_VISIBLE, x, y, w, h, parent, nullptr, mHInstance,
                           this);
  if (!mPlugWnd) {
    ReleaseWndClass(mHInstance);
    mParentWnd = nullptr;
    return nullptr;
  }
  SetAllControlsDirty();
  if (TooltipsEnabled()) CreateTooltips();
  return mPlugWnd;
}

void IGraphicsWin::CloseWindow()
{
  if (!mPlugWnd) return;
  if (mParamEditWnd) DestroyTextEntry();
  if (mTooltipWnd) {
    DestroyWindow(mTooltipWnd);
    mTooltipWnd = nullptr;
    mShowingTooltip = false;
    mTooltipIdx = -1;
  }
  HWND wnd = mPlugWnd;
  mPlugWnd = nullptr;
  // Destroying the window also kills its timer.
  DestroyWindow(wnd);
  mParentWnd = nullptr;
  ReleaseWndClass(mHInstance);
}

bool IGraphicsWin::PresentToScreen(const IRect& rect)
{
  LICE_IBitmap* bitmap = GetDrawBitmap();
  if (!mPlugWnd || !bitmap || !bitmap->GetDC()) return false;
  HDC dc = mPaintDC ? mPaintDC : GetDC(mPlugWnd);
  if (!dc) return false;
  const BOOL copied = BitBlt(dc, rect.L, rect.T, rect.W(), rect.H(), static_cast<HDC>(bitmap->GetDC()), rect.L,
                             rect.T, SRCCOPY);
  if (!mPaintDC) ReleaseDC(mPlugWnd, dc);
  return copied != FALSE;
}

void IGraphicsWin::Resize(int width, int height)
{
  if (width == Width() && height == Height()) return;
  const int dw = width - Width(), dh = height - Height();
  IGraphics::Resize(width, height);
  if (!mPlugWnd) return;

  RECT r;
  GetWindowRect(mPlugWnd, &r);
  SetWindowPos(mPlugWnd, nullptr, 0, 0, r.right - r.left + dw, r.bottom - r.top + dh,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  const LONG_PTR style = GetWindowLongPtrA(mPlugWnd, GWL_STYLE);
  const LONG_PTR exStyle = GetWindowLongPtrA(mPlugWnd, GWL_EXSTYLE);
  HWND parent = nullptr, grandparent = nullptr;
  if ((style & WS_CHILD) && !(exStyle & WS_EX_MDICHILD)) {
    parent = GetParent(mPlugWnd);
    if (parent && (GetWindowLongPtrA(parent, GWL_STYLE) & WS_CHILD)) grandparent = GetParent(parent);
  }
  // VST3 hosts size their own frame around the view.
  const int kind = GetPlug() ? GetPlug()->GetInterfaceKind() : 0;
  if (kind != 1 && kind != 3) {
    for (HWND wnd : {parent, grandparent}) {
      if (!wnd) continue;
      GetWindowRect(wnd, &r);
      SetWindowPos(wnd, nullptr, 0, 0, r.right - r.left + dw, r.bottom - r.top + dh,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  InvalidateRect(mPlugWnd, nullptr, FALSE);
}

namespace {
struct ClassSearch {
  const char* className;
  HWND found;
};

BOOL CALLBACK FindWindowOfClass(HWND wnd, LPARAM data)
{
  auto* search = reinterpret_cast<ClassSearch*>(data);
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  char name[256];
  if (pid == GetCurrentProcessId() && GetClassNameA(wnd, name, sizeof(name)) &&
      lstrcmpA(name, search->className) == 0) {
    search->found = wnd;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

HWND IGraphicsWin::GetMainWnd()
{
  if (mMainWnd && IsWindow(mMainWnd)) return mMainWnd;
  mMainWnd = nullptr;
  if (mParentWnd) {
    mMainWnd = GetAncestor(mParentWnd, GA_ROOT);
    char name[256];
    if (mMainWnd && GetClassNameA(mMainWnd, name, sizeof(name))) mMainWndClassName = name;
  } else if (!mMainWndClassName.empty()) {
    ClassSearch search{mMainWndClassName.c_str(), nullptr};
    EnumWindows(FindWindowOfClass, reinterpret_cast<LPARAM>(&search));
    mMainWnd = search.found;
  }
  return mMainWnd;
}

void IGraphicsWin::HideMouseCursor()
{
  if (mCursorHidden) return;
  POINT p;
  GetCursorPos(&p);
  mHiddenCursorX = p.x;
  mHiddenCursorY = p.y;
  ShowCursor(FALSE);
  mCursorHidden = true;
}

void IGraphicsWin::ShowMouseCursor()
{
  if (!mCursorHidden) return;
  SetCursorPos(mHiddenCursorX, mHiddenCursorY);
  ShowCursor(TRUE);
  mCursorHidden = false;
}

LICE_IBitmap* IGraphicsWin::LoadPlatformBitmap(int id, const char* fileName)
{
  return LoadPngResource(id, fileName, mHInstance);
}

void IGraphicsWin::CreateTooltips()
{
  INITCOMMONCONTROLSEX init = {sizeof(init), ICC_BAR_CLASSES};
  mTooltipWnd = nullptr;
  if (InitCommonControlsEx(&init))
    mTooltipWnd = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, mPlugWnd, nullptr,
                                  mHInstance, nullptr);
  if (mTooltipWnd) {
    TOOLINFOA info = {};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = mPlugWnd;
    info.uId = reinterpret_cast<UINT_PTR>(mPlugWnd);
    info.lpszText = const_cast<char*>("");
    if (SendMessageA(mTooltipWnd, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info))) return;
    DestroyWindow(mTooltipWnd);
    mTooltipWnd = nullptr;
  }
  EnableTooltips(false);
}

void IGraphicsWin::SetTooltipText(const char* text)
{
  if (!mTooltipWnd) return;
  TOOLINFOA info = {};
  info.cbSize = TTTOOLINFOA_V2_SIZE;
  info.hwnd = mPlugWnd;
  info.uId = reinterpret_cast<UINT_PTR>(mPlugWnd);
  info.lpszText = const_cast<char*>(text);
  SendMessageA(mTooltipWnd, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
}

void IGraphicsWin::ShowTooltip()
{
  IControl* control = GetControl(mTooltipIdx);
  SetTooltipText(control ? control->GetTooltip().c_str() : "");
  mShowingTooltip = true;
}

void IGraphicsWin::HideTooltip()
{
  if (!mShowingTooltip) return;
  SetTooltipText("");
  mShowingTooltip = false;
}
