#pragma once
// Bitmap-font text: every visible text of the editor is drawn from glyph
// strips (one vertically stacked frame per character code from 32 on), with
// the pen advanced by a per-character width table.
#include <cstdint>

#include "editor/IGraphicsStructs.h"

class IGraphics;

struct IBitmapFontAdvances {
  static constexpr int kEntries = 224;

  int mFirst;  // code of the first entry
  int mCount;
  int16_t mAdvance[kEntries];

  // Codes outside the table advance by nothing.
  int Advance(unsigned char c) const
  {
    const int i = static_cast<int>(c) - mFirst;
    return i >= 0 && i < mCount ? mAdvance[i] : 0;
  }
};

// The table of the 14-pixel strip (knob values, note names, labels) and of
// the 12-pixel strip (meter read-outs).
extern const IBitmapFontAdvances kAdvances14;
extern const IBitmapFontAdvances kAdvances12;

// Sum of the advances of the string.
int TextRunWidth(const IBitmapFontAdvances& advances, const char* text);

// Draws text with its pen starting at penX on row textRect.T. Each glyph is a
// blit from the pen to textRect.R (the control's right edge) over the rows of
// textRect, so only the draw rectangle clips a run that overflows the control.
void DrawTextRun(IGraphics* graphics, const IBitmap& strip, const IBitmapFontAdvances& advances, const char* text,
                 int penX, const IRect& textRect, const IBlend& blend);
