// Without a native text renderer fonts can only measure: a fixed advance per
// character estimated from the font height. Drawing leaves the bitmap alone.
#include <algorithm>
#include <cstdlib>
#include <new>

#include "editor/raster/LICE_Font.h"

struct HFONT__ {
  int height;
  bool bold;
};

namespace {
// A text is UTF-8 only when every multi-byte sequence in it is well formed;
// otherwise each byte is one character.
bool IsUtf8(const unsigned char* s, int len)
{
  for (int i = 0; i < len;) {
    const unsigned char c = s[i];
    const int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || (extra == 1 && c < 0xC2) || c > 0xF4 || i + extra >= len) return false;
    for (int k = 1; k <= extra; ++k)
      if ((s[i + k] & 0xC0) != 0x80) return false;
    i += extra + 1;
  }
  return true;
}

int Advance(const HFONT__* font) { return std::max(1, (font->height * (font->bold ? 6 : 5) + 5) / 10); }
}  // namespace

LICE_HFONT LICE_CreateNativeFont(const LICE_FontSpec& desc)
{
  // Height 0 asks for the platform's default size.
  const int height = desc.height ? std::abs(desc.height) : 12;
  return new (std::nothrow) HFONT__{height, desc.bold};
}

void LICE_DestroyNativeFont(LICE_HFONT font) { delete font; }

int LICE_CachedFont::NativeLineHeight(LICE_HFONT font) { return font->height; }

int LICE_CachedFont::MeasureNative(const char* text, int len, LICE_Rect* rect, int flags)
{
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
  const bool utf8 = IsUtf8(s, len);
  int lines = 1, column = 0, widest = 0;
  for (int i = 0; i < len; ++i) {
    if (s[i] == '\n' && !(flags & kTextSingleLine)) {
      ++lines;
      column = 0;
      continue;
    }
    if (utf8 && (s[i] & 0xC0) == 0x80) continue;  // continuation byte
    widest = std::max(widest, ++column);
  }
  rect->r = rect->l + widest * Advance(mFont);
  rect->b = rect->t + lines * mLineHeight;
  return lines * mLineHeight;
}

int LICE_CachedFont::DrawNative(LICE_IBitmap*, const char*, int, LICE_Rect*, int) { return 0; }
