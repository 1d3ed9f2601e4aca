#include "editor/IPeakMeterBitmapBitmapFont.h"

#include <cmath>
#include <cstdio>

#include "editor/IGraphics.h"

namespace {
constexpr double kSilence = 0.0005;
// Fixed read-out factor, a little below 20 / ln 10 (8.6859): the read-out
// spans about -65.8 (at the silence threshold) to 0.0.
constexpr double kDbPerNeper = 8.656170245333781;
}  // namespace

IPeakMeterBitmapBitmapFont::IPeakMeterBitmapBitmapFont(IPlugBase* plug, const IBitmap& meter, const IText& text,
                                                       const IBitmap& glyphs, const IBlend&, int textAlign,
                                                       int textOffset, const IRect& r)
    : IControl(plug, r, -1),
      mTextArea(r.L, r.B - 16, r.R, r.B),
      mMeterRECT(r.L + (r.W() - meter.W) / 2, r.T, r.L + (r.W() - meter.W) / 2 + meter.W, r.T + meter.H / meter.N),
      mControlRECT(r),
      mTextRECT(r.L, r.B - 16, r.R, r.B - 16 + glyphs.H / glyphs.N),
      mMeter(meter),
      mGlyphs(glyphs),
      mTextOffset(textOffset),
      mTextAlign(textAlign)
{
  mText = text;
}

void IPeakMeterBitmapBitmapFont::FormatLevel(double level, char* out, int size)
{
  if (!(level >= kSilence))
    std::snprintf(out, static_cast<size_t>(size), "-A");
  else
    std::snprintf(out, static_cast<size_t>(size), "%.*f", 1, std::log(level) * kDbPerNeper);
}

int IPeakMeterBitmapBitmapFont::TextStart(int width) const
{
  const IRect& r = mControlRECT;
  if (mTextAlign == kAlignLeft) return r.L + mTextOffset;
  if (mTextAlign == kAlignRight) return r.R - mTextOffset - width;
  return r.L + r.W() / 2 - width / 2;
}

bool IPeakMeterBitmapBitmapFont::Draw(IGraphics* graphics)
{
  const IBlend copy;
  const double level = GetValue();
  int srcX = 0, srcY = 0;
  FrameOffset(mMeter, FrameFromValue(level, mMeter.N), &srcX, &srcY);
  graphics->DrawBitmap(mMeter, mMeterRECT, srcX, srcY, &copy);

  char text[32];
  FormatLevel(level, text, sizeof(text));
  const int width = TextRunWidth(mAdvances, text);
  DrawTextRun(graphics, mGlyphs, mAdvances, text, TextStart(width), mTextRECT, copy);
  return true;
}
