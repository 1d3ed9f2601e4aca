// Memory and system bitmaps: sizes, row layout and the resize rules.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "editor/raster/LICE_Bitmap.h"

namespace {
bool Aligned64(const void* p) { return reinterpret_cast<uintptr_t>(p) % 64 == 0; }

// Every pixel of the bitmap can be written and read back.
void ExpectWritable(LICE_IBitmap& bm)
{
  for (int y = 0; y < bm.GetHeight(); ++y)
    for (int x = 0; x < bm.GetWidth(); ++x) LICE_Row(&bm, y)[x] = LICE_RGBA(x, y, 1, 2);
  for (int y = 0; y < bm.GetHeight(); ++y)
    for (int x = 0; x < bm.GetWidth(); ++x) ASSERT_EQ(LICE_Row(&bm, y)[x], LICE_RGBA(x, y, 1, 2));
}
}  // namespace

TEST(Pixel, ChannelLayout)
{
  const LICE_pixel p = LICE_RGBA(0x11, 0x22, 0x33, 0x44);
  EXPECT_EQ(p, 0x44112233u);
  EXPECT_EQ(LICE_GETA(p), 0x44u);
  EXPECT_EQ(LICE_GETR(p), 0x11u);
  EXPECT_EQ(LICE_GETG(p), 0x22u);
  EXPECT_EQ(LICE_GETB(p), 0x33u);
}

TEST(MemBitmap, RowsArePaddedToFourPixelsAndAligned)
{
  LICE_MemBitmap bm(5, 3);
  EXPECT_EQ(bm.GetWidth(), 5);
  EXPECT_EQ(bm.GetHeight(), 3);
  EXPECT_EQ(bm.GetRowSpan(), 8);
  EXPECT_FALSE(bm.IsFlipped());
  EXPECT_EQ(bm.GetDC(), nullptr);
  EXPECT_EQ(bm.Extended(1, nullptr), 0);
  ASSERT_NE(bm.GetBits(), nullptr);
  EXPECT_TRUE(Aligned64(bm.GetBits()));
  ExpectWritable(bm);

  LICE_MemBitmap none;
  EXPECT_EQ(none.GetWidth(), 0);
  EXPECT_EQ(none.GetHeight(), 0);
  EXPECT_EQ(none.GetBits(), nullptr);
}

TEST(MemBitmap, ResizeRules)
{
  LICE_MemBitmap bm(4, 4);
  EXPECT_FALSE(bm.Resize(4, 4));
  EXPECT_TRUE(bm.Resize(40, 30));
  EXPECT_EQ(bm.GetRowSpan(), 40);
  EXPECT_TRUE(Aligned64(bm.GetBits()));
  ExpectWritable(bm);
  EXPECT_TRUE(bm.Resize(2, 2));  // shrinking keeps the memory
  ExpectWritable(bm);

  EXPECT_TRUE(bm.Resize(0, 7));
  EXPECT_EQ(bm.GetBits(), nullptr);
  EXPECT_TRUE(bm.Resize(3, 3));
  ExpectWritable(bm);
  EXPECT_TRUE(bm.Resize(-5, 3));
  EXPECT_EQ(bm.GetWidth(), 0);
  EXPECT_EQ(bm.GetBits(), nullptr);
}

TEST(MemBitmap, ImpossibleSizeLeavesAnEmptyBitmap)
{
  LICE_MemBitmap bm(8, 8);
  EXPECT_TRUE(bm.Resize(INT_MAX, INT_MAX));
  EXPECT_EQ(bm.GetWidth(), 0);
  EXPECT_EQ(bm.GetHeight(), 0);
  EXPECT_EQ(bm.GetBits(), nullptr);
  LICE_MemBitmap direct(INT_MAX, 1 << 30);
  EXPECT_EQ(direct.GetWidth(), 0);
  EXPECT_EQ(direct.GetBits(), nullptr);
}

TEST(SysBitmap, ResizeRules)
{
  LICE_SysBitmap bm(10, 5);
  EXPECT_EQ(bm.GetWidth(), 10);
  EXPECT_EQ(bm.GetHeight(), 5);
  EXPECT_EQ(bm.GetRowSpan(), 12);
  EXPECT_FALSE(bm.IsFlipped());
#ifdef _WIN32
  EXPECT_NE(bm.GetDC(), nullptr);
#else
  EXPECT_EQ(bm.GetDC(), nullptr);
#endif
  ASSERT_NE(bm.GetBits(), nullptr);
  // A fresh pixel store starts black and transparent.
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(LICE_Row(&bm, y)[x], 0u);
  ExpectWritable(bm);

  EXPECT_FALSE(bm.Resize(10, 5));
  LICE_pixel* const bits = bm.GetBits();
  EXPECT_TRUE(bm.Resize(12, 3));  // within what is allocated
  EXPECT_EQ(bm.GetBits(), bits);
  EXPECT_EQ(bm.GetRowSpan(), 12);
  EXPECT_EQ(bm.GetWidth(), 12);
  EXPECT_EQ(bm.GetHeight(), 3);

  EXPECT_TRUE(bm.Resize(13, 3));  // wider: a new store, rounded up to 4 pixels
  EXPECT_EQ(bm.GetRowSpan(), 16);
  ExpectWritable(bm);
  EXPECT_TRUE(bm.Resize(13, 9));
  EXPECT_EQ(bm.GetRowSpan(), 16);
  ExpectWritable(bm);
}

TEST(SysBitmap, FailedAllocationLeavesAnEmptyBitmap)
{
  LICE_SysBitmap bm(4, 4);
  EXPECT_TRUE(bm.Resize(INT_MAX, INT_MAX));
  EXPECT_EQ(bm.GetWidth(), 0);
  EXPECT_EQ(bm.GetHeight(), 0);
  EXPECT_EQ(bm.GetBits(), nullptr);
  EXPECT_TRUE(bm.Resize(6, 2));  // and recovers
  ExpectWritable(bm);

  LICE_SysBitmap none;
  EXPECT_EQ(none.GetBits(), nullptr);
  EXPECT_FALSE(none.Resize(-1, -1));
}
