// Blit: clipping of the rectangles and the arithmetic of the blend modes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "editor/raster/LICE_Blit.h"

namespace {
LICE_pixel& Px(LICE_IBitmap& bm, int x, int y) { return LICE_Row(&bm, y)[x]; }

void Fill(LICE_IBitmap& bm, LICE_pixel p)
{
  for (int y = 0; y < bm.GetHeight(); ++y)
    for (int x = 0; x < bm.GetWidth(); ++x) Px(bm, x, y) = p;
}

// Source whose pixel tells where it came from.
void Number(LICE_IBitmap& bm)
{
  for (int y = 0; y < bm.GetHeight(); ++y)
    for (int x = 0; x < bm.GetWidth(); ++x) Px(bm, x, y) = LICE_RGBA(x, y, 0x55, 0xFF);
}

// Asserts that dest shows source pixel (x - dx, y - dy) inside the w x h area
// at (dx, dy) and the background everywhere else.
void ExpectCopied(LICE_IBitmap& dest, int dx, int dy, int w, int h, int sx, int sy, LICE_pixel background)
{
  for (int y = 0; y < dest.GetHeight(); ++y)
    for (int x = 0; x < dest.GetWidth(); ++x) {
      const bool inside = x >= dx && x < dx + w && y >= dy && y < dy + h;
      const LICE_pixel want = inside ? LICE_RGBA(x - dx + sx, y - dy + sy, 0x55, 0xFF) : background;
      ASSERT_EQ(Px(dest, x, y), want) << "at " << x << "," << y;
    }
}

const LICE_pixel kBackground = LICE_RGBA(1, 2, 3, 4);
}  // namespace

TEST(BlitCopy, HalfOpacityWhiteOverBlackGives7F)
{
  LICE_MemBitmap src(3, 2), dest(3, 2);
  Fill(src, 0xFFFFFFFFu);
  Fill(dest, 0x00000000u);
  Blit(&dest, &src, 0, 0, nullptr, 0.5f, kBlitModeCopy);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(Px(dest, x, y), 0x7F7F7F7Fu);
}

TEST(BlitCopy, FullOpacityCopiesAllBytesAndOtherOpacitiesWeigh)
{
  LICE_MemBitmap src(2, 1), dest(2, 1);
  Fill(src, LICE_RGBA(200, 0, 255, 10));
  Fill(dest, LICE_RGBA(40, 255, 0, 250));
  Blit(&dest, &src, 0, 0, nullptr, 1.0f, kBlitModeCopy);
  EXPECT_EQ(Px(dest, 0, 0), LICE_RGBA(200, 0, 255, 10));

  // Weight 64 of 256: d = s + (d - s) * 192 / 256 per byte.
  Fill(dest, LICE_RGBA(40, 255, 0, 250));
  Blit(&dest, &src, 0, 0, nullptr, 0.25f, kBlitModeCopy);
  EXPECT_EQ(Px(dest, 1, 0), LICE_RGBA(80, 191, 64, 190));
}

TEST(BlitSourceAlpha, TransparentKeepsOpaqueReplaces)
{
  LICE_MemBitmap src(2, 1), dest(2, 1);
  Px(src, 0, 0) = LICE_RGBA(9, 9, 9, 0);
  Px(src, 1, 0) = LICE_RGBA(10, 20, 30, 255);
  Fill(dest, LICE_RGBA(100, 110, 120, 16));
  Blit(&dest, &src, 0, 0, nullptr, 1.0f, kBlitModeCopy | kBlitUseSourceAlpha);
  EXPECT_EQ(Px(dest, 0, 0), LICE_RGBA(100, 110, 120, 16));
  EXPECT_EQ(Px(dest, 1, 0), LICE_RGBA(10, 20, 30, 255));
}

TEST(BlitSourceAlpha, PartialAlphaTruncatesTowardZeroAndAddsAlpha)
{
  LICE_MemBitmap src(1, 1), dest(2, 1);
  Px(src, 0, 0) = LICE_RGBA(255, 0, 100, 128);
  Px(dest, 0, 0) = LICE_RGBA(0, 255, 100, 0);
  Px(dest, 1, 0) = LICE_RGBA(0, 255, 100, 200);
  Blit(&dest, &src, 0, 0, nullptr, 1.0f, kBlitUseSourceAlpha);
  Blit(&dest, &src, 1, 0, nullptr, 1.0f, kBlitUseSourceAlpha);
  // 255 - 255 * 127 / 256 = 255 - 126 (not 127), 0 + 255 * 127 / 256 = 126.
  EXPECT_EQ(Px(dest, 0, 0), LICE_RGBA(129, 126, 100, 128));
  EXPECT_EQ(Px(dest, 1, 0), LICE_RGBA(129, 126, 100, 255));
}

TEST(BlitSourceAlpha, OpacityScalesTheSourceAlpha)
{
  LICE_MemBitmap src(2, 1), dest(2, 1);
  Px(src, 0, 0) = LICE_RGBA(255, 255, 255, 255);
  Px(src, 1, 0) = LICE_RGBA(255, 255, 255, 0);
  Fill(dest, LICE_RGBA(0, 0, 0, 10));
  Blit(&dest, &src, 0, 0, nullptr, 0.5f, kBlitUseSourceAlpha);
  // m = 128 * 256 / 256 = 128: 255 - 255 * 128 / 256 = 128; alpha 128 + 10.
  EXPECT_EQ(Px(dest, 0, 0), LICE_RGBA(128, 128, 128, 138));
  EXPECT_EQ(Px(dest, 1, 0), LICE_RGBA(0, 0, 0, 10));
}

TEST(BlitClip, SourceRectangleLargerThanSourceCopiesOnlyTheSource)
{
  LICE_MemBitmap src(4, 4), dest(10, 10);
  Number(src);
  Fill(dest, kBackground);
  const LICE_Rect r = {2, 2, 100, 100};
  Blit(&dest, &src, 1, 1, &r, 1.0f, kBlitModeCopy);
  ExpectCopied(dest, 1, 1, 2, 2, 2, 2, kBackground);
}

TEST(BlitClip, NegativeSourceCornerMovesTheDestination)
{
  LICE_MemBitmap src(4, 4), dest(8, 8);
  Number(src);
  Fill(dest, kBackground);
  const LICE_Rect r = {-2, -1, 3, 3};
  Blit(&dest, &src, 0, 0, &r, 1.0f, kBlitModeCopy);
  ExpectCopied(dest, 2, 1, 3, 3, 0, 0, kBackground);
}

TEST(BlitClip, NegativeDestinationMovesTheSourceStart)
{
  LICE_MemBitmap src(4, 4), dest(8, 8);
  Number(src);
  Fill(dest, kBackground);
  Blit(&dest, &src, -1, -2, nullptr, 1.0f, kBlitUseSourceAlpha);
  ExpectCopied(dest, 0, 0, 3, 2, 1, 2, kBackground);
}

TEST(BlitClip, DestinationEdgeClipsAndNothingHappensOutside)
{
  LICE_MemBitmap src(4, 4), dest(5, 5);
  Number(src);
  Fill(dest, kBackground);
  Blit(&dest, &src, 3, 4, nullptr, 1.0f, kBlitModeCopy);
  ExpectCopied(dest, 3, 4, 2, 1, 0, 0, kBackground);

  Fill(dest, kBackground);
  const LICE_Rect past = {4, 0, 8, 4};
  const LICE_Rect inverted = {3, 3, 1, 1};
  const LICE_Rect extreme = {std::numeric_limits<int>::min(), std::numeric_limits<int>::min(),
                             std::numeric_limits<int>::max(), std::numeric_limits<int>::max()};
  Blit(&dest, &src, 5, 0, nullptr, 1.0f, kBlitModeCopy);
  Blit(&dest, &src, -4, 0, nullptr, 1.0f, kBlitModeCopy);
  Blit(&dest, &src, 0, 0, &past, 1.0f, kBlitModeCopy);
  Blit(&dest, &src, 0, 0, &inverted, 1.0f, kBlitModeCopy);
  Blit(&dest, &src, std::numeric_limits<int>::max(), 0, &extreme, 1.0f, kBlitModeCopy);
  ExpectCopied(dest, 0, 0, 0, 0, 0, 0, kBackground);

  // The extreme rectangle, placed at the origin, shifts entirely off the source.
  Blit(&dest, &src, 0, 0, &extreme, 1.0f, kBlitModeCopy);
  ExpectCopied(dest, 0, 0, 0, 0, 0, 0, kBackground);
}

TEST(BlitClip, NothingHappensWithoutBitmapsOrOpacity)
{
  LICE_MemBitmap src(2, 2), dest(2, 2), empty;
  Number(src);
  Fill(dest, kBackground);
  Blit(&dest, nullptr, 0, 0, nullptr, 1.0f, kBlitModeCopy);
  Blit(nullptr, &src, 0, 0, nullptr, 1.0f, kBlitModeCopy);
  Blit(&dest, &src, 0, 0, nullptr, 0.0f, kBlitModeCopy);
  Blit(&dest, &src, 0, 0, nullptr, std::nanf(""), kBlitModeCopy);
  Blit(&dest, &empty, 0, 0, nullptr, 1.0f, kBlitModeCopy);
  Blit(&empty, &src, 0, 0, nullptr, 1.0f, kBlitModeCopy);
  ExpectCopied(dest, 0, 0, 0, 0, 0, 0, kBackground);

  // Opacity beyond 1 is a plain copy, not an extrapolation.
  Blit(&dest, &src, 0, 0, nullptr, 3.0f, kBlitModeCopy);
  ExpectCopied(dest, 0, 0, 2, 2, 0, 0, kBackground);
}

TEST(BlitClip, OverlappingBlitWithinOneBitmap)
{
  LICE_MemBitmap bm(6, 3);
  Number(bm);
  Blit(&bm, &bm, 1, 0, nullptr, 1.0f, kBlitModeCopy);
  for (int y = 0; y < 3; ++y) {
    EXPECT_EQ(Px(bm, 0, y), LICE_RGBA(0, y, 0x55, 0xFF));
    for (int x = 1; x < 6; ++x) EXPECT_EQ(Px(bm, x, y), LICE_RGBA(x - 1, y, 0x55, 0xFF)) << x << "," << y;
  }
}

TEST(BlitClip, BetweenSystemAndMemoryBitmaps)
{
  LICE_SysBitmap sys(7, 5);
  LICE_MemBitmap mem(4, 4), back(7, 5);
  Number(mem);
  Fill(sys, kBackground);
  Blit(&sys, &mem, 2, 1, nullptr, 1.0f, kBlitModeCopy);
  ExpectCopied(sys, 2, 1, 4, 4, 0, 0, kBackground);
  Blit(&back, &sys, 0, 0, nullptr, 1.0f, kBlitModeCopy);
  ExpectCopied(back, 2, 1, 4, 4, 0, 0, kBackground);
}

// The editor's blend methods 2 and 3 map to these.
TEST(BlitModes, AddAndDodgeWithSourceAlpha)
{
  LICE_MemBitmap src(1, 1), dest(1, 1);
  Px(src, 0, 0) = LICE_RGBA(100, 200, 128, 255);
  Px(dest, 0, 0) = LICE_RGBA(100, 100, 100, 255);
  Blit(&dest, &src, 0, 0, nullptr, 1.0f, kBlitModeAdd | kBlitUseSourceAlpha);
  EXPECT_EQ(Px(dest, 0, 0), LICE_RGBA(200, 255, 228, 255));

  Px(dest, 0, 0) = LICE_RGBA(100, 100, 100, 255);
  Blit(&dest, &src, 0, 0, nullptr, 1.0f, kBlitModeDodge | kBlitUseSourceAlpha);
  // d * 256 / (256 - s), limited to 255.
  EXPECT_EQ(Px(dest, 0, 0), LICE_RGBA(164, 255, 200, 255));

  Px(src, 0, 0) = LICE_RGBA(100, 200, 128, 0);
  Blit(&dest, &src, 0, 0, nullptr, 1.0f, kBlitModeAdd | kBlitUseSourceAlpha);
  EXPECT_EQ(Px(dest, 0, 0), LICE_RGBA(164, 255, 200, 255));
}
