#include "editor/IKnobControl.h"

#include "framework/IPlugBase.h"

void IKnobControl::OnMouseDrag(int, int, int dX, int dY, const IMouseMod& mod)
{
  double gearing = mGearing;
  if (mod.C || mod.S) gearing *= 10.0;
  // Up raises the value: T - B is negative.
  const int span = mDirection == kVertical ? mRECT.T - mRECT.B : mRECT.R - mRECT.L;
  const int delta = mDirection == kVertical ? dY : dX;
  if (span != 0) SetValue(GetValue() + static_cast<double>(delta) / span / gearing);
  MarkDirty(true);
}

void IKnobControl::OnMouseWheel(int, int, const IMouseMod& mod, int notches)
{
  // Each wheel event is a whole edit for the host: begun and ended around the
  // value it sends, as a drag is.
  const bool bound = mPlug && mParamIdx >= 0;
  if (bound) mPlug->BeginHostParameterEdit(mParamIdx);
  SetValue(GetValue() + notches * ((mod.C || mod.S) ? 0.001 : 0.01));
  MarkDirty(true);
  if (bound) mPlug->EndHostParameterEdit(mParamIdx);
}
