#include "editor/IKnobMultiControlBitmapFontMidiNote.h"

#include <cmath>
#include <cstdio>

#include "editor/IGraphics.h"
#include "framework/IPlugBase.h"

void FormatNoteName(int note, char* out, int size)
{
  static const char* const kNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
  // Floor division, so a negative note would still name a real key.
  const int octave = note >= 0 ? note / 12 : -((11 - note) / 12);
  const int pitch = note - 12 * octave;
  std::snprintf(out, static_cast<size_t>(size), "%s %d", kNames[pitch], octave - 1);
}

IKnobMultiControlBitmapFontMidiNote::IKnobMultiControlBitmapFontMidiNote(IPlugBase* plug, int paramIdx,
                                                                         const IBitmap& knob, const IText& text,
                                                                         const IBitmap& glyphs, const IBlend&,
                                                                         const IRect& rect)
    : IKnobControl(plug, rect, paramIdx, kVertical, 40.0), mLayout(rect, knob, glyphs), mKnob(knob), mGlyphs(glyphs)
{
  mText = text;
  mDisablePrompt = false;
}

bool IKnobMultiControlBitmapFontMidiNote::Draw(IGraphics* graphics)
{
  const IBlend copy;
  int srcX = 0, srcY = 0;
  FrameOffset(mKnob, FrameFromValue(GetValue(), mKnob.N), &srcX, &srcY);
  graphics->DrawBitmap(mKnob, mLayout.mKnobRECT, srcX, srcY, &copy);

  const IParameter* param = mPlug ? mPlug->GetParameter(mParamIdx) : nullptr;
  if (!param) return true;
  double value;
  {
    MutexLock lock(mPlug->Mutex());
    value = param->Value();
  }
  if (!(std::fabs(value) < 1e6)) return true;
  char text[32];
  FormatNoteName(static_cast<int>(value), text, sizeof(text));
  const int width = TextRunWidth(kAdvances14, text);
  DrawTextRun(graphics, mGlyphs, kAdvances14, text, mLayout.mTextCenter - width / 2, mLayout.mTextRECT, copy);
  return true;
}
