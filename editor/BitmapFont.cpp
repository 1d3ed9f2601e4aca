#include "editor/BitmapFont.h"

#include "editor/IGraphics.h"

// Codes 32 to 126 are the glyphs the strips draw. Above them, the Latin-1 signs
// and letters get plausible widths so a strip that adds them lays out at once;
// DEL and the C1 range (127 to 159) and the soft hyphen take no space.
const IBitmapFontAdvances kAdvances14 = {32, IBitmapFontAdvances::kEntries, {
    7, 5, 8, 8, 8, 7, 9, 6, 5, 5, 7, 8, 6, 7, 5, 7,  // 32-47
    8, 7, 7, 7, 7, 7, 7, 7, 7, 7, 6, 6, 7, 7, 7, 7,  // 48-63
    7, 7, 7, 7, 7, 7, 7, 7, 7, 8, 7, 7, 7, 7, 7, 7,  // 64-79
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 8, 9,  // 80-95
    5, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,  // 96-111
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 5, 7, 9, 0,  // 112-127
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 128-143
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 144-159
    7, 5, 7, 7, 7, 7, 5, 7, 5, 9, 6, 8, 7, 0, 9, 7,  // 160-175
    5, 7, 5, 5, 4, 7, 7, 3, 4, 4, 6, 8, 10, 10, 10, 7,  // 176-191
    7, 7, 7, 7, 7, 7, 10, 7, 7, 7, 7, 7, 7, 7, 7, 7,  // 192-207
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,  // 208-223
    7, 7, 7, 7, 7, 7, 10, 7, 7, 7, 7, 7, 7, 7, 7, 7,  // 224-239
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,  // 240-255
}};

const IBitmapFontAdvances kAdvances12 = {32, IBitmapFontAdvances::kEntries, {
    6, 4, 7, 7, 7, 6, 7, 5, 4, 5, 6, 7, 5, 6, 4, 6,  // 32-47
    7, 6, 6, 6, 6, 6, 6, 6, 6, 6, 5, 5, 6, 6, 6, 6,  // 48-63
    6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6,  // 64-79
    6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 8,  // 80-95
    4, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6,  // 96-111
    6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 5, 6, 8, 0,  // 112-127
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 128-143
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 144-159
    6, 4, 6, 6, 6, 6, 4, 6, 4, 8, 5, 7, 6, 0, 8, 6,  // 160-175
    4, 6, 4, 4, 3, 6, 6, 3, 3, 3, 5, 7, 9, 9, 9, 6,  // 176-191
    6, 6, 6, 6, 6, 6, 9, 6, 6, 6, 6, 6, 6, 6, 6, 6,  // 192-207
    6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6,  // 208-223
    6, 6, 6, 6, 6, 6, 9, 6, 6, 6, 6, 6, 6, 6, 6, 6,  // 224-239
    6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6,  // 240-255
}};

int TextRunWidth(const IBitmapFontAdvances& advances, const char* text)
{
  int width = 0;
  if (!text) return 0;
  for (const char* p = text; *p; ++p) width += advances.Advance(static_cast<unsigned char>(*p));
  return width;
}

void DrawTextRun(IGraphics* graphics, const IBitmap& strip, const IBitmapFontAdvances& advances, const char* text,
                 int penX, const IRect& textRect, const IBlend& blend)
{
  if (!text) return;
  for (const char* p = text; *p; ++p) {
    const int c = static_cast<unsigned char>(*p);
    int frame = c < advances.mFirst ? 1 : c - advances.mFirst + 1;
    if (frame > strip.N) frame = strip.N;
    int srcX = 0, srcY = 0;
    FrameOffset(strip, frame, &srcX, &srcY);
    graphics->DrawBitmap(strip, IRect(penX, textRect.T, textRect.R, textRect.B), srcX, srcY, &blend);
    penX += advances.Advance(static_cast<unsigned char>(c));
  }
}
