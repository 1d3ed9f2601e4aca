#include "editor/IControl.h"

#include "editor/IGraphics.h"
#include "framework/IPlugBase.h"

IControl::IControl(IPlugBase* plug, const IRect& rect, int paramIdx, const IBlend& blend)
    : mText(12, nullptr, "Verdana"), mPlug(plug), mRECT(rect), mTargetRECT(rect), mParamIdx(paramIdx), mBlend(blend)
{
}

void IControl::OnMouseDown(int, int, const IMouseMod& mod)
{
  if (mod.R) PromptForValue();
}

void IControl::OnMouseDblClick(int, int, const IMouseMod&)
{
  const double def = GetDefaultValue();
  if (def >= 0.0) {
    SetValue(def);
    MarkDirty(true);
  }
}

void IControl::SetValueFromPlugin(double value)
{
  if (GetDefaultValue() < 0.0) {
    SetDefaultValue(value);
    SetValue(value);
    // The first value is limited like any other; otherwise an out-of-range
    // first level would be drawn as it came.
    MarkDirty(false);
  }
  if (GetValue() != value) {
    SetValue(value);
    // Redraw-again before dirty: a MarkClean between the two then still
    // leaves the control dirty.
    SetRedrawAgain();
    MarkDirty(false);
  }
}

void IControl::SetValueFromUser(double value)
{
  if (GetValue() != value) {
    SetValue(value);
    SetRedrawAgain();
    MarkDirty(true);
  }
}

void IControl::Hide(bool hide)
{
  mHide = hide;
  SetRedrawAgain();
  MarkDirty(false);
}

void IControl::SetGreyed(bool greyed)
{
  mGreyed = greyed;
  mBlend.mWeight = greyed ? 0.25f : 1.0f;
  MarkDirty(false);
}

void IControl::MarkDirty(bool pushToPlug)
{
  double v = GetValue();
  // NaN (from a broken level, say) ends up at the lower clamp.
  if (!(v >= mClampLo)) v = mClampLo;
  if (v > mClampHi) v = mClampHi;
  SetValue(v);
  mFlags.fetch_or(kDirty);
  if (pushToPlug && mPlug && mParamIdx >= 0) mPlug->SetParameterFromEditor(mParamIdx, v);
}

void IControl::MarkClean()
{
  unsigned flags = mFlags.load();
  while (!mFlags.compare_exchange_weak(flags, (flags & kRedrawAgain) ? kDirty : 0u)) {
  }
}

void IControl::SetLinkedValueFromPlugin(int position, double value)
{
  if (position < 0 || position >= NLinkedParams()) return;
  LinkedParam& linked = mLinkedParams[position];
  if (linked.mValue != value) {
    linked.mValue = value;
    SetRedrawAgain();
    MarkDirty(false);
  }
}

void IControl::PromptForValue()
{
  if (mParamIdx < 0 || mDisablePrompt) return;
  IParameter* param = mPlug ? mPlug->GetParameter(mParamIdx) : nullptr;
  if (param && param->NDisplayTexts() > 0) {
    PromptForValue(mRECT);
    return;
  }
  const int cx = static_cast<int>((mRECT.L + mRECT.R) * 0.5);
  const int cy = static_cast<int>((mRECT.T + mRECT.B) * 0.5);
  PromptForValue(IRect(cx - 20, cy - 8, cx + 20, cy + 8));
}

void IControl::PromptForValue(const IRect& rect)
{
  if (mParamIdx < 0 || mDisablePrompt) return;
  if (mGraphics && mPlug) mGraphics->PromptForParameterValue(this, mPlug->GetParameter(mParamIdx), rect);
  SetRedrawAgain();
}
