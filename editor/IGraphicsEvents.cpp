// Mouse and key routing of the graphics object.
#include "editor/IGraphics.h"
#include "framework/IPlugBase.h"

int IGraphics::FindControlAt(int x, int y, bool forMouseOver)
{
  if (mMouseCapture >= 0) return mMouseCapture;
  for (int i = NControls() - 1; i >= 0; --i) {
    IControl* control = mControls[i];
    if (control->IsHidden()) continue;
    if (control->IsGreyed() && !(forMouseOver && control->GetMOWhenGreyed())) continue;
    if (control->IsHit(x, y)) return i;
  }
  return -1;
}

void IGraphics::ReleaseMouseCapture()
{
  mMouseCapture = -1;
  mMouseX = mMouseY = -1;
}

void IGraphics::EndGesture()
{
  if (mGestureParam < 0) return;
  const int param = mGestureParam;
  mGestureParam = -1;
  if (mPlug) mPlug->EndHostParameterEdit(param);
}

void IGraphics::OnMouseDown(int x, int y, const IMouseMod& mod)
{
  ReleaseMouseCapture();
  // A press without a release in between (focus lost mid-drag) still closes
  // the gesture it left open.
  EndGesture();
  const int c = FindControlAt(x, y, false);
  if (c < 0) return;
  IControl* control = mControls[c];
  mMouseCapture = c;
  mMouseX = x;
  mMouseY = y;
  const int paramIdx = control->ParamIdx();
  if (paramIdx >= 0 && mPlug) {
    if (mPlug->GetInterfaceKind() == kInterfaceVST3 && mod.R) {
      ReleaseMouseCapture();
      mPlug->ShowHostParameterMenu(paramIdx, x, y);
      return;
    }
    mGestureParam = paramIdx;
    mPlug->BeginHostParameterEdit(paramIdx);
  }
  control->OnMouseDown(x, y, mod);
}

void IGraphics::OnMouseUp(int x, int y, const IMouseMod& mod)
{
  const int c = FindControlAt(x, y, false);
  ReleaseMouseCapture();
  if (c >= 0) mControls[c]->OnMouseUp(x, y, mod);
  // Only a gesture that was begun is ended, whatever lies under the pointer.
  EndGesture();
}

void IGraphics::OnMouseDrag(int x, int y, const IMouseMod& mod)
{
  if (mMouseCapture < 0 || mMouseCapture >= NControls()) return;
  if (x == mMouseX && y == mMouseY) return;
  const int dX = x - mMouseX, dY = y - mMouseY;
  mMouseX = x;
  mMouseY = y;
  mControls[mMouseCapture]->OnMouseDrag(x, y, dX, dY, mod);
}

bool IGraphics::OnMouseDblClick(int x, int y, const IMouseMod& mod)
{
  ReleaseMouseCapture();
  const int c = FindControlAt(x, y, false);
  if (c < 0) return false;
  IControl* control = mControls[c];
  if (control->MouseDblAsSingleClick()) {
    mMouseCapture = c;
    mMouseX = x;
    mMouseY = y;
    // A press in every respect, so a bound control brackets it for the host.
    EndGesture();
    if (control->ParamIdx() >= 0 && mPlug) {
      mGestureParam = control->ParamIdx();
      mPlug->BeginHostParameterEdit(mGestureParam);
    }
    control->OnMouseDown(x, y, mod);
    return true;
  }
  control->OnMouseDblClick(x, y, mod);
  return false;
}

bool IGraphics::OnMouseOver(int x, int y, const IMouseMod& mod)
{
  if (!mHandleMouseOver) return false;
  const int c = FindControlAt(x, y, true);
  if (c < 0) return true;
  mMouseX = x;
  mMouseY = y;
  mControls[c]->OnMouseOver(x, y, mod);
  if (mMouseOver >= 0 && mMouseOver != c && mMouseOver < NControls()) mControls[mMouseOver]->OnMouseOut();
  mMouseOver = c;
  return true;
}

void IGraphics::OnMouseOut()
{
  for (IControl* control : mControls) control->OnMouseOut();
  mMouseOver = -1;
}

bool IGraphics::OnKeyDown(int x, int y, int key)
{
  const int c = FindControlAt(x, y, false);
  if (c >= 1) return mControls[c]->OnKeyDown(x, y, key);
  if (mKeyCatcher) return mKeyCatcher->OnKeyDown(x, y, key);
  return false;
}
