#pragma once
// Level meter: a frame strip chosen by the level (linear amplitude, 0 to 1)
// and a dB read-out in the bitmap font below it. Processing pushes the level
// once per block through the graphics object's SetControlValueFromPlugin; that
// path stores atomics only, without locking or allocating. Redrawn every
// pass.
#include "editor/BitmapFont.h"
#include "editor/IControl.h"

class IPeakMeterBitmapBitmapFont : public IControl {
public:
  enum EAlign { kAlignLeft = 1, kAlignRight = 2 };  // anything else centres

  // The blend is ignored: meter and text are copied honouring alpha.
  IPeakMeterBitmapBitmapFont(IPlugBase* plug, const IBitmap& meter, const IText& text, const IBitmap& glyphs,
                             const IBlend& blend, int textAlign, int textOffset, const IRect& rect);

  bool Draw(IGraphics* graphics) override;
  bool IsDirty() override { return true; }

  // The read-out for a level: "-A" (the strip's minus-infinity) below
  // 0.0005, else the level in dB with one decimal.
  static void FormatLevel(double level, char* out, int size);
  // Pen x of a run of the given width, by the alignment rule.
  int TextStart(int width) const;

private:
  IRect mTextArea;
  IRect mMeterRECT;
  IRect mControlRECT;
  IRect mTextRECT;
  IBitmap mMeter;
  IBitmap mGlyphs;
  const IBitmapFontAdvances& mAdvances = kAdvances12;
  int mTextOffset;
  int mTextAlign;
};
