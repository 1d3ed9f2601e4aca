#include "editor/raster/LICE_Font.h"

#include <algorithm>
#include <cstring>

#include "editor/raster/LICE_Blit.h"

namespace {
// Touched when fonts are made and destroyed, which happens on the editor thread.
int gLiveFonts = 0;
LICE_SysBitmap* gScratch = nullptr;
}  // namespace

LICE_CachedFont::LICE_CachedFont() { ++gLiveFonts; }

LICE_CachedFont::~LICE_CachedFont()
{
  if (mFont && (mFlags & kFontFlagOwnsNative)) LICE_DestroyNativeFont(mFont);
  if (--gLiveFonts == 0) {
    delete gScratch;
    gScratch = nullptr;
  }
}

int LICE_CachedFont::LiveCount() { return gLiveFonts; }

LICE_SysBitmap* LICE_CachedFont::Scratch()
{
  if (!gScratch) gScratch = new LICE_SysBitmap(256, 256);
  return gScratch;
}

void LICE_CachedFont::SetFromNativeFont(LICE_HFONT font, int flags)
{
  if (mFont && mFont != font && (mFlags & kFontFlagOwnsNative)) LICE_DestroyNativeFont(mFont);
  mFont = font;
  mFlags = flags;
  mLineHeight = font ? NativeLineHeight(font) : 0;
}

LICE_pixel LICE_CachedFont::SetTextColor(LICE_pixel color)
{
  const LICE_pixel old = mTextColor;
  mTextColor = color;
  return old;
}

LICE_pixel LICE_CachedFont::SetBackgroundColor(LICE_pixel color)
{
  const LICE_pixel old = mBackgroundColor;
  mBackgroundColor = color;
  return old;
}

LICE_pixel LICE_CachedFont::SetEffectColor(LICE_pixel color)
{
  const LICE_pixel old = mEffectColor;
  mEffectColor = color;
  return old;
}

int LICE_CachedFont::SetBackgroundMode(int mode)
{
  const int old = mBackgroundMode;
  mBackgroundMode = mode;
  return old;
}

void LICE_CachedFont::SetCombineMode(int mode, float alpha)
{
  mCombineMode = mode;
  mCombineAlpha = alpha;
}

int LICE_CachedFont::DrawString(LICE_IBitmap* bitmap, const char* text, int len, LICE_Rect* rect, int flags)
{
  if (!text || !rect || !mFont) return 0;
  if (len < 0) len = static_cast<int>(std::strlen(text));
  if (flags & kTextCalcRect) return MeasureNative(text, len, rect, flags);
  if (!bitmap || !bitmap->GetBits()) return 0;
  return DrawNative(bitmap, text, len, rect, flags);
}

bool LICE_CachedFont::DrawGlyph(LICE_IBitmap* bitmap, unsigned short c, int x, int y, const LICE_Rect* clip)
{
  if (!bitmap || !bitmap->GetBits() || !mFont) return false;
  char utf8[4] = {};
  int n = 0;
  if (c < 0x80) {
    utf8[n++] = static_cast<char>(c);
  } else if (c < 0x800) {
    utf8[n++] = static_cast<char>(0xC0 | (c >> 6));
    utf8[n++] = static_cast<char>(0x80 | (c & 0x3F));
  } else {
    utf8[n++] = static_cast<char>(0xE0 | (c >> 12));
    utf8[n++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    utf8[n++] = static_cast<char>(0x80 | (c & 0x3F));
  }
  LICE_Rect box = {x, y, x, y};
  if (!MeasureNative(utf8, n, &box, kTextSingleLine | kTextCalcRect)) return false;
  if (clip) {
    // Draw only what lies inside the clip rectangle, but lay out from (x, y).
    LICE_MemBitmap glyph(box.r - box.l, box.b - box.t);
    if (!glyph.GetBits()) return false;
    const LICE_Rect local = {0, 0, box.r - box.l, box.b - box.t};
    Blit(&glyph, bitmap, 0, 0, &box, 1.0f, 0);
    LICE_Rect drawn = local;
    if (!DrawNative(&glyph, utf8, n, &drawn, kTextSingleLine | kTextNoClip)) return false;
    const LICE_Rect part = {std::max(clip->l, box.l) - x, std::max(clip->t, box.t) - y,
                            std::min(clip->r, box.r) - x, std::min(clip->b, box.b) - y};
    Blit(bitmap, &glyph, x + part.l, y + part.t, &part, 1.0f, 0);
    return true;
  }
  return DrawNative(bitmap, utf8, n, &box, kTextSingleLine | kTextNoClip) != 0;
}
