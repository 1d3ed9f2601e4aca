// The small text field for typing a parameter's value: an edit control over
// the control's value strip whose own procedure filters the characters and
// turns Enter, Escape and focus changes into commit or cancel requests. The
// editor's timer carries the request out on its next tick.
#include "editor/win/IGraphicsWin.h"

#include "editor/win/IGraphicsWinProcs.h"

#include "editor/IControl.h"
#include "editor/drawn/DrawnTextField.h"
#include "framework/IParameter.h"

namespace {
constexpr int kTextEntryBufferSize = 32;  // characters including the terminator

bool CharAllowed(const IParameter* param, WPARAM c)
{
  // The drawn field of other window systems takes the same characters.
  return DrawnTextField::CharAllowed(param, static_cast<int>(c));
}
}  // namespace

void IGraphicsWin::ShowTextEntry(IControl* control, const IText& text, const IRect& rect, const char* initial,
                                 IParameter* param)
{
  if (!control || mParamEditWnd || !mPlugWnd) return;
  DWORD align = ES_CENTER;
  if (text.mAlign == IText::kAlignNear) align = ES_LEFT;
  if (text.mAlign == IText::kAlignFar) align = ES_RIGHT;
  mParamEditWnd = CreateWindowA("EDIT", initial ? initial : "",
                                WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL | align, rect.L, rect.T,
                                rect.R - rect.L + 1, rect.B - rect.T + 1, mPlugWnd,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextEntryChildId)), mHInstance, nullptr);
  if (!mParamEditWnd) return;
  mEditFont = CreateFontA(text.mSize, 0, 0, 0, text.mStyle == IText::kStyleBold ? FW_BOLD : FW_DONTCARE,
                          text.mStyle == IText::kStyleItalic, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, text.mFont);
  if (mEditFont) SendMessageA(mParamEditWnd, WM_SETFONT, reinterpret_cast<WPARAM>(mEditFont), 0);
  SendMessageA(mParamEditWnd, EM_LIMITTEXT, static_cast<WPARAM>(control->GetTextEntryLength()), 0);
  SendMessageA(mParamEditWnd, EM_SETSEL, 0, -1);
  mEdControl = control;
  mEdParam = param;
  // Subclassed before it takes the focus, so that focus marks it as editing.
  mDefEditProc = reinterpret_cast<void*>(SetWindowLongPtrA(
      mParamEditWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(IGraphicsWinProcs::ParamEditProc)));
  SetWindowLongPtrA(mParamEditWnd, GWLP_USERDATA, static_cast<LONG_PTR>(kTextEntryMarker));
  SetFocus(mParamEditWnd);
}

LRESULT CALLBACK IGraphicsWinProcs::ParamEditProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  // The field's owner is the editor window around it.
  auto* self = reinterpret_cast<IGraphicsWin*>(GetWindowLongPtrA(GetParent(hWnd), GWLP_USERDATA));
  if (!self || self->mParamEditWnd != hWnd || !self->mDefEditProc) return DefWindowProcA(hWnd, msg, wParam, lParam);
  return self->HandleParamEditMessage(hWnd, msg, wParam, lParam);
}

std::intptr_t IGraphicsWin::HandleParamEditMessage(HWND hWnd, unsigned msg, std::uintptr_t wParam,
                                                  std::intptr_t lParam)
{
  HideTooltip();
  switch (msg) {
    case WM_SETFOCUS: mParamEditState = kTextEntryEditing; break;
    case WM_KILLFOCUS: mParamEditState = kTextEntryCommit; break;
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        mParamEditState = kTextEntryCommit;
        return 0;
      }
      if (wParam == VK_ESCAPE) {
        mParamEditState = kTextEntryCancel;
        return 0;
      }
      break;
    case WM_GETDLGCODE:
      if (wParam == VK_RETURN)
        return CallWindowProcA(reinterpret_cast<WNDPROC>(mDefEditProc), hWnd, msg, wParam, lParam) | DLGC_WANTALLKEYS;
      break;
    case WM_CHAR:
      if (mEdControl && !CharAllowed(mEdParam, wParam)) return 0;
      break;
    case WM_COMMAND:
      if (wParam == IDOK) mParamEditState = kTextEntryCommit;
      break;
    default: break;
  }
  return CallWindowProcA(reinterpret_cast<WNDPROC>(mDefEditProc), hWnd, msg, wParam, lParam);
}

void IGraphicsWin::EndTextEntry()
{
  if (mParamEditState == kTextEntryCommit) {
    char text[kTextEntryBufferSize] = {};
    GetWindowTextA(mParamEditWnd, text, kTextEntryBufferSize);
    // Forget the field first: applying the value may reach back into us.
    IControl* control = mEdControl;
    IParameter* param = mEdParam;
    DestroyTextEntry();
    ApplyTextEntry(control, param, text);
    return;
  }
  DestroyTextEntry();
}

void IGraphicsWin::DestroyTextEntry()
{
  if (mParamEditWnd) {
    HWND field = mParamEditWnd;
    if (mDefEditProc) SetWindowLongPtrA(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mDefEditProc));
    mParamEditWnd = nullptr;
    DestroyWindow(field);
  }
  if (mEditFont) DeleteObject(mEditFont);
  mEditFont = nullptr;
  mEdControl = nullptr;
  mEdParam = nullptr;
  mDefEditProc = nullptr;
  mParamEditState = kTextEntryNone;
  // Focus back to the editor, so its keys work again.
  if (mPlugWnd && GetFocus() == nullptr) SetFocus(mPlugWnd);
}

void IGraphicsWin::CancelTextEntry() { DestroyTextEntry(); }
