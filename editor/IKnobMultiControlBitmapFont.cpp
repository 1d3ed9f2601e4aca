#include "editor/IKnobMultiControlBitmapFont.h"

#include <cstdio>

#include "editor/IGraphics.h"
#include "framework/IPlugBase.h"

IKnobTextLayout::IKnobTextLayout(const IRect& r, const IBitmap& knob, const IBitmap& glyphs)
    : mTextEntryRECT(r.L, r.B - 16, r.R, r.B),
      mKnobRECT(r.L + (r.W() - knob.W) / 2, r.T, r.L + (r.W() - knob.W) / 2 + knob.W, r.T + knob.H / knob.N),
      mControlRECT(r),
      mTextRECT(r.L, r.B - 16, r.R, r.B - 16 + glyphs.H / glyphs.N),
      mTextCenter(r.L + r.W() / 2)
{
}

IKnobMultiControlBitmapFont::IKnobMultiControlBitmapFont(IPlugBase* plug, int paramIdx, const IBitmap& knob,
                                                         const IText& text, const IBitmap& glyphs, const IBlend&,
                                                         const IRect& rect)
    : IKnobControl(plug, rect, paramIdx, kVertical, 4.0), mLayout(rect, knob, glyphs), mKnob(knob), mGlyphs(glyphs)
{
  mText = text;
  mDisablePrompt = false;
}

void IKnobMultiControlBitmapFont::OnMouseDown(int x, int y, const IMouseMod& mod)
{
  if (mLayout.mTextEntryRECT.Contains(x, y))
    PromptForValue(mLayout.mTextEntryRECT);
  else
    OnMouseDrag(x, y, 0, 0, mod);
}

void IKnobMultiControlBitmapFont::FormatText(char* out, int size) const
{
  if (size <= 0) return;
  out[0] = '\0';
  const IParameter* param = mPlug ? mPlug->GetParameter(mParamIdx) : nullptr;
  if (!param) return;
  char display[kParamTextSize];
  {
    // The host may be setting the value on another thread.
    MutexLock lock(mPlug->Mutex());
    param->FormatDisplay(display, true);
  }
  std::snprintf(out, static_cast<size_t>(size), "%s%s", display, param->Label());
}

bool IKnobMultiControlBitmapFont::Draw(IGraphics* graphics)
{
  const IBlend copy;
  int srcX = 0, srcY = 0;
  FrameOffset(mKnob, FrameFromValue(GetValue(), mKnob.N), &srcX, &srcY);
  graphics->DrawBitmap(mKnob, mLayout.mKnobRECT, srcX, srcY, &copy);

  char text[2 * kParamTextSize];
  FormatText(text, sizeof(text));
  if (text[0]) {
    const int width = TextRunWidth(mAdvances, text);
    DrawTextRun(graphics, mGlyphs, mAdvances, text, mLayout.mTextCenter - width / 2, mLayout.mTextRECT, copy);
  }
  return true;
}
