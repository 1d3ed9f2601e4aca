// The editor window's procedure: paint and timer drive the redraw, mouse and
// keyboard messages become graphics-core events, and keys the editor has no
// use for go on to the host's top-level window so its shortcuts keep working.
#include "editor/win/IGraphicsWin.h"

#include "editor/win/IGraphicsWinProcs.h"

#include <windowsx.h>

#include "editor/IControl.h"

namespace {

IMouseMod MouseMod(WPARAM wParam)
{
  return IMouseMod((wParam & MK_LBUTTON) != 0, (wParam & MK_RBUTTON) != 0, (wParam & MK_SHIFT) != 0,
                   (wParam & MK_CONTROL) != 0, GetKeyState(VK_MENU) < 0);
}

// Space, arrows, digits and letters as the controls' key codes; -1 otherwise.
int KeyCode(WPARAM key)
{
  switch (key) {
    case VK_SPACE: return kKeySpace;
    case VK_UP: return kKeyUp;
    case VK_DOWN: return kKeyDown;
    case VK_LEFT: return kKeyLeft;
    case VK_RIGHT: return kKeyRight;
    default: break;
  }
  if (key >= '0' && key <= '9') return kKeyDigit0 + static_cast<int>(key - '0');
  if (key >= 'A' && key <= 'Z') return kKeyLetterA + static_cast<int>(key - 'A');
  if (key >= 'a' && key <= 'z') return kKeyLetterA + static_cast<int>(key - 'a');
  return -1;
}

}  // namespace

LRESULT CALLBACK IGraphicsWinProcs::WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_CREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    const int fps = static_cast<IGraphicsWin*>(create->lpCreateParams)->FPS();
    SetTimer(hWnd, IGraphicsWin::kTimerId, static_cast<UINT>(1000 / (fps > 0 ? fps : 25)), nullptr);
    SetFocus(hWnd);
    return 0;
  }
  auto* self = reinterpret_cast<IGraphicsWin*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
  if (!self || msg == WM_NCDESTROY) return DefWindowProcA(hWnd, msg, wParam, lParam);
  return self->HandleMessage(hWnd, msg, wParam, lParam);
}

std::intptr_t IGraphicsWin::HandleMessage(HWND hWnd, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam)
{
  // While a value is being typed the editor neither paints nor ticks; a click
  // in it abandons the value.
  if (mParamEditWnd && mParamEditState == kTextEntryEditing) {
    if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN) {
      mParamEditState = kTextEntryCancel;
      return 0;
    }
    return DefWindowProcA(hWnd, msg, wParam, lParam);
  }

  switch (msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS: return 0;

    case WM_PAINT: {
      RECT r;
      if (GetUpdateRect(hWnd, &r, FALSE)) {
        PAINTSTRUCT ps;
        mPaintDC = BeginPaint(hWnd, &ps);
        Draw(IRect(r.left, r.top, r.right, r.bottom));
        mPaintDC = nullptr;
        EndPaint(hWnd, &ps);
      }
      return 0;
    }

    case WM_CLOSE: CloseWindow(); return 0;

    case WM_TIMER:
      if (wParam == kTimerId) OnTimer();
      return 0;

    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      const int key = msg == WM_KEYDOWN ? KeyCode(wParam) : -1;
      if (key >= 0) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(hWnd, &p);
        if (OnKeyDown(p.x, p.y, key)) return 0;
      }
      ForwardToMainWnd(msg, wParam, lParam);
      return DefWindowProcA(hWnd, msg, wParam, lParam);
    }
    case WM_KEYUP:
    case WM_SYSKEYUP:
      ForwardToMainWnd(msg, wParam, lParam);
      return DefWindowProcA(hWnd, msg, wParam, lParam);

    case WM_CTLCOLOREDIT: {
      if (!mEdControl) return DefWindowProcA(hWnd, msg, wParam, lParam);
      const IText& text = mEdControl->GetText();
      HDC dc = reinterpret_cast<HDC>(wParam);
      const IColor& bg = text.mTextEntryBGColor;
      const IColor& fg = text.mTextEntryFGColor;
      SetBkColor(dc, RGB(bg.R, bg.G, bg.B));
      SetTextColor(dc, RGB(fg.R, fg.G, fg.B));
      SetBkMode(dc, OPAQUE);
      SetDCBrushColor(dc, RGB(bg.R, bg.G, bg.B));
      return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
    }

    case WM_MOUSEMOVE: OnMouseMoveMessage(wParam, lParam); return 0;

    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      HideTooltip();
      if (mParamEditWnd) {
        mParamEditState = kTextEntryCommit;
        return 0;
      }
      SetFocus(hWnd);
      SetCapture(hWnd);
      OnMouseDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), MouseMod(wParam));
      return 0;

    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      ReleaseCapture();
      OnMouseUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), MouseMod(wParam));
      return 0;

    case WM_LBUTTONDBLCLK:
      if (OnMouseDblClick(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), MouseMod(wParam))) SetCapture(hWnd);
      return 0;

    case WM_MOUSEWHEEL: {
      if (mParamEditWnd) {
        mParamEditState = kTextEntryCancel;
        return 0;
      }
      const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
      RECT r;
      GetWindowRect(hWnd, &r);
      const int x = GET_X_LPARAM(lParam) - r.left;
      const int y = GET_Y_LPARAM(lParam) - r.top;
      if (IControl* control = GetControl(FindControlAt(x, y, false)))
        control->OnMouseWheel(x, y, MouseMod(GET_KEYSTATE_WPARAM(wParam)), notches);
      return 0;
    }

    case WM_MOUSEHOVER: ShowTooltip(); return 0;
    case WM_MOUSELEAVE:
      HideTooltip();
      OnMouseOut();
      return 0;

    default: return DefWindowProcA(hWnd, msg, wParam, lParam);
  }
}

void IGraphicsWin::OnMouseMoveMessage(std::uintptr_t wParam, std::intptr_t lParam)
{
  const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
  if (wParam & (MK_LBUTTON | MK_RBUTTON)) {
    if (GetCapture() == mPlugWnd && !mParamEditWnd) OnMouseDrag(x, y, MouseMod(wParam));
    return;
  }
  if (!OnMouseOver(x, y, MouseMod(wParam))) return;
  TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, mPlugWnd, HOVER_DEFAULT};
  if (TooltipsEnabled() && GetMouseOver() != mTooltipIdx) {
    mTooltipIdx = GetMouseOver();
    HideTooltip();
    if (GetControl(mTooltipIdx)) track.dwFlags |= TME_HOVER;
  }
  TrackMouseEvent(&track);
}

void IGraphicsWin::ForwardToMainWnd(unsigned msg, std::uintptr_t wParam, std::intptr_t lParam)
{
  HWND main = GetMainWnd();
  if (main && main != mPlugWnd) SendMessageA(main, msg, wParam, lParam);
}

void IGraphicsWin::OnTimer()
{
  if (mParamEditWnd && mParamEditState != kTextEntryNone) {
    if (mParamEditState == kTextEntryEditing || mParamEditState == kTextEntryRepainted) {
      mParamEditState = kTextEntryNone;
      return;
    }
    EndTextEntry();
    return;
  }

  IRect dirty;
  if (!CollectDirtyRect(&dirty)) return;
  RECT r{dirty.L, dirty.T, dirty.R, dirty.B};
  InvalidateRect(mPlugWnd, &r, FALSE);
  if (mParamEditWnd) {
    // Everything but the field itself.
    const IRect& field = mEdControl->GetRECT();
    RECT keep{field.L, field.T, field.R, field.B};
    ValidateRect(mPlugWnd, &keep);
    UpdateWindow(mPlugWnd);
    mParamEditState = kTextEntryRepainted;
  } else {
    UpdateWindow(mPlugWnd);
  }
}
