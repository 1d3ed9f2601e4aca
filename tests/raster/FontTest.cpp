// The cached font as the graphics core uses it: measuring a string.
#include <gtest/gtest.h>

#include <cstring>

#include "editor/raster/LICE_Font.h"

namespace {
LICE_Rect Measure(LICE_CachedFont& font, const char* text, int flags = kTextSingleLine)
{
  LICE_Rect r = {10, 20, 10, 20};
  const int height = font.DrawString(nullptr, text, -1, &r, flags | kTextCalcRect);
  EXPECT_EQ(height, r.b - r.t) << text;
  return r;
}

LICE_FontSpec Arial14()
{
  LICE_FontSpec desc;
  desc.height = 14;
  desc.face = "Arial";
  return desc;
}
}  // namespace

TEST(CachedFont, NothingToMeasureWithoutANativeFont)
{
  LICE_CachedFont font;
  LICE_Rect r = {0, 0, 0, 0};
  EXPECT_EQ(font.DrawString(nullptr, "abc", -1, &r, kTextCalcRect), 0);
  EXPECT_EQ(r.r, 0);
}

TEST(CachedFont, MeasuresTheExtentOfAString)
{
  LICE_CachedFont font;
  const LICE_HFONT native = LICE_CreateNativeFont(Arial14());
  ASSERT_NE(native, nullptr);
  font.SetFromNativeFont(native, kFontFlagOwnsNative);
  EXPECT_EQ(font.GetNativeFont(), native);
  EXPECT_GT(font.GetLineHeight(), 0);

  const LICE_Rect one = Measure(font, "Hello");
  EXPECT_EQ(one.l, 10);
  EXPECT_EQ(one.t, 20);
  EXPECT_GT(one.r, one.l);
  EXPECT_EQ(one.b - one.t, font.GetLineHeight());
  const LICE_Rect longer = Measure(font, "Hello, Hello");
  EXPECT_GT(longer.r - longer.l, one.r - one.l);

  // Explicit length: only the first five characters count.
  LICE_Rect part = {10, 20, 10, 20};
  font.DrawString(nullptr, "Hello, Hello", 5, &part, kTextSingleLine | kTextCalcRect);
  EXPECT_EQ(part.r, one.r);

  // Two lines are twice as tall as one.
  const LICE_Rect two = Measure(font, "Hello\nHello", 0);
  EXPECT_EQ(two.b - two.t, 2 * font.GetLineHeight());
}

TEST(CachedFont, MultiByteCharactersCountOnce)
{
  LICE_CachedFont font;
  font.SetFromNativeFont(LICE_CreateNativeFont(Arial14()), kFontFlagOwnsNative);
  // "é" is two UTF-8 bytes but one character; a lone 0xE9 byte is not UTF-8
  // and measures as one single-byte character.
  const LICE_Rect utf8 = Measure(font, "caf\xC3\xA9");
  const LICE_Rect single = Measure(font, "caf\xE9");
  EXPECT_EQ(utf8.r - utf8.l, single.r - single.l);
}

TEST(CachedFont, DrawingTouchesOnlyTheTextRectangle)
{
  LICE_CachedFont font;
  font.SetFromNativeFont(LICE_CreateNativeFont(Arial14()), kFontFlagOwnsNative | kFontFlagAllowNative);
  font.SetTextColor(LICE_RGBA(255, 255, 255, 255));
  LICE_SysBitmap bm(64, 32);
  LICE_Rect r = {4, 4, 60, 28};
  const int drawn = font.DrawString(&bm, "Wg", -1, &r, kTextSingleLine);
  int changedInside = 0, changedOutside = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x) {
      const bool inside = x >= 4 && x < 60 && y >= 4 && y < 28;
      if (LICE_Row(&bm, y)[x] & 0x00FFFFFFu) ++(inside ? changedInside : changedOutside);
    }
  EXPECT_EQ(changedOutside, 0);
#ifdef _WIN32
  EXPECT_GT(drawn, 0);
  EXPECT_GT(changedInside, 0);
#else
  // No native renderer here: measuring only.
  EXPECT_EQ(drawn, 0);
  EXPECT_EQ(changedInside, 0);
#endif
}

TEST(CachedFont, GlyphStaysInsideItsClipRectangle)
{
  LICE_CachedFont font;
  font.SetFromNativeFont(LICE_CreateNativeFont(Arial14()), kFontFlagOwnsNative);
  font.SetTextColor(LICE_RGBA(255, 255, 255, 255));
  LICE_SysBitmap bm(32, 32);
  const LICE_Rect clip = {0, 0, 6, 32};
  const bool drawn = font.DrawGlyph(&bm, 'W', 2, 2, &clip);
  int inside = 0, outside = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      if (LICE_Row(&bm, y)[x] & 0x00FFFFFFu) ++(x < 6 ? inside : outside);
  EXPECT_EQ(outside, 0);
#ifdef _WIN32
  EXPECT_TRUE(drawn);
  EXPECT_GT(inside, 0);
#else
  EXPECT_FALSE(drawn);
  EXPECT_EQ(inside, 0);
#endif
}
