#include "editor/ITextControlBitmapFont.h"

#include "editor/IGraphics.h"

ITextControlBitmapFont::ITextControlBitmapFont(IPlugBase* plug, const IText& text, const IBitmap& glyphs,
                                               const IBlend&, const IRect& r)
    : IControl(plug, r, -1),
      mTextArea(r.L, r.B - 20, r.R, r.B),
      mTextRECT(r.L, r.B - 20, r.R, r.B - 20 + glyphs.H / glyphs.N),
      mGlyphs(glyphs),
      mTextCenter(r.L + r.W() / 2)
{
  mText = text;
}

void ITextControlBitmapFont::SetTextFromPlugin(const char* text)
{
  if (!text) text = "";
  if (mString == text) return;
  MarkDirty(false);
  mString = text;
}

bool ITextControlBitmapFont::Draw(IGraphics* graphics)
{
  if (mString.empty()) return true;
  const int width = TextRunWidth(kAdvances14, mString.c_str());
  DrawTextRun(graphics, mGlyphs, kAdvances14, mString.c_str(), mTextCenter - width / 2, mTextRECT, IBlend());
  return true;
}
