// Decoding of every colour type and depth into the raster pixel format.
#include <gtest/gtest.h>

#include <memory>

#include "editor/raster/LICE_Png.h"
#include "tests/raster/PngWriter.h"

namespace {
using Bitmap = std::unique_ptr<LICE_MemBitmap>;

Bitmap Decode(const std::vector<unsigned char>& bytes) { return Bitmap(LoadPngFromMemory(bytes.data(), bytes.size())); }

LICE_pixel At(LICE_IBitmap* bm, int x, int y) { return LICE_Row(bm, y)[x]; }

PngImage Gray(int width, int depth, std::vector<std::vector<png_byte>> rows)
{
  PngImage img;
  img.width = width;
  img.height = static_cast<int>(rows.size());
  img.colorType = PNG_COLOR_TYPE_GRAY;
  img.bitDepth = depth;
  img.rows = std::move(rows);
  return img;
}
}  // namespace

TEST(PngDecode, RgbaKeepsColoursUnpremultiplied)
{
  const Bitmap bm = Decode(WritePng(MakeRgba(5, 3, [](int x, int y) {
    return static_cast<uint32_t>((x * 40) << 24 | (y * 70) << 16 | 0x33 << 8 | (x == 0 ? 0 : 0x40 * y));
  })));
  ASSERT_TRUE(bm);
  EXPECT_EQ(bm->GetWidth(), 5);
  EXPECT_EQ(bm->GetHeight(), 3);
  EXPECT_EQ(bm->GetRowSpan(), 8);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(At(bm.get(), x, y), LICE_RGBA(x * 40, y * 70, 0x33, x == 0 ? 0 : 0x40 * y)) << x << "," << y;
  // In memory the bytes run blue, green, red, alpha.
  const unsigned char* p = reinterpret_cast<const unsigned char*>(LICE_Row(bm.get(), 1) + 2);
  EXPECT_EQ(p[0], 0x33);
  EXPECT_EQ(p[1], 70);
  EXPECT_EQ(p[2], 80);
  EXPECT_EQ(p[3], 0x40);
}

TEST(PngDecode, RgbGetsOpaqueAlpha)
{
  PngImage img;
  img.width = 3;
  img.height = 1;
  img.colorType = PNG_COLOR_TYPE_RGB;
  img.rows = {{1, 2, 3, 250, 251, 252, 0, 0, 0}};
  const Bitmap bm = Decode(WritePng(img));
  ASSERT_TRUE(bm);
  EXPECT_EQ(At(bm.get(), 0, 0), LICE_RGBA(1, 2, 3, 255));
  EXPECT_EQ(At(bm.get(), 1, 0), LICE_RGBA(250, 251, 252, 255));
  EXPECT_EQ(At(bm.get(), 2, 0), LICE_RGBA(0, 0, 0, 255));
}

TEST(PngDecode, RgbWithTransparentColourGetsAlphaZeroThere)
{
  PngImage img;
  img.width = 2;
  img.height = 1;
  img.colorType = PNG_COLOR_TYPE_RGB;
  img.hasTransparentColor = true;
  img.transparentColor.red = 10;
  img.transparentColor.green = 20;
  img.transparentColor.blue = 30;
  img.rows = {{10, 20, 30, 10, 20, 31}};
  const Bitmap bm = Decode(WritePng(img));
  ASSERT_TRUE(bm);
  EXPECT_EQ(At(bm.get(), 0, 0), LICE_RGBA(10, 20, 30, 0));
  EXPECT_EQ(At(bm.get(), 1, 0), LICE_RGBA(10, 20, 31, 255));
}

TEST(PngDecode, PaletteWithTransparencyChunk)
{
  PngImage img;
  img.width = 4;
  img.height = 2;
  img.colorType = PNG_COLOR_TYPE_PALETTE;
  img.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {200, 100, 50}};
  img.paletteAlpha = {0, 128, 255};  // entry 3 has none: opaque
  img.rows = {{0, 1, 2, 3}, {3, 2, 1, 0}};
  const Bitmap bm = Decode(WritePng(img));
  ASSERT_TRUE(bm);
  const LICE_pixel expected[4] = {LICE_RGBA(255, 0, 0, 0), LICE_RGBA(0, 255, 0, 128), LICE_RGBA(0, 0, 255, 255),
                                  LICE_RGBA(200, 100, 50, 255)};
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(At(bm.get(), x, 0), expected[x]);
    EXPECT_EQ(At(bm.get(), x, 1), expected[3 - x]);
  }
}

TEST(PngDecode, PackedPaletteIsUnpacked)
{
  PngImage img;
  img.width = 5;  // not a whole number of bytes at 2 bits per pixel
  img.height = 1;
  img.colorType = PNG_COLOR_TYPE_PALETTE;
  img.bitDepth = 2;
  img.palette = {{0, 0, 0}, {10, 10, 10}, {20, 20, 20}, {30, 30, 30}};
  img.rows = {{0x1B, 0xC0}};  // 0 1 2 3 | 3
  const Bitmap bm = Decode(WritePng(img));
  ASSERT_TRUE(bm);
  const int index[5] = {0, 1, 2, 3, 3};
  for (int x = 0; x < 5; ++x) EXPECT_EQ(At(bm.get(), x, 0), LICE_RGBA(index[x] * 10, index[x] * 10, index[x] * 10, 255));
}

TEST(PngDecode, LowDepthGreyExpandsToFullRange)
{
  const Bitmap one = Decode(WritePng(Gray(3, 1, {{0xA0}})));  // 1 0 1
  ASSERT_TRUE(one);
  EXPECT_EQ(At(one.get(), 0, 0), LICE_RGBA(255, 255, 255, 255));
  EXPECT_EQ(At(one.get(), 1, 0), LICE_RGBA(0, 0, 0, 255));
  EXPECT_EQ(At(one.get(), 2, 0), LICE_RGBA(255, 255, 255, 255));

  const Bitmap four = Decode(WritePng(Gray(2, 4, {{0x5F}})));  // 5 and 15 of 15
  ASSERT_TRUE(four);
  EXPECT_EQ(At(four.get(), 0, 0), LICE_RGBA(85, 85, 85, 255));
  EXPECT_EQ(At(four.get(), 1, 0), LICE_RGBA(255, 255, 255, 255));
}

TEST(PngDecode, GreyTransparencyAndGreyAlpha)
{
  PngImage keyed = Gray(3, 8, {{100, 101, 0}});
  keyed.hasTransparentColor = true;
  keyed.transparentColor.gray = 100;
  const Bitmap a = Decode(WritePng(keyed));
  ASSERT_TRUE(a);
  EXPECT_EQ(At(a.get(), 0, 0), LICE_RGBA(100, 100, 100, 0));
  EXPECT_EQ(At(a.get(), 1, 0), LICE_RGBA(101, 101, 101, 255));
  EXPECT_EQ(At(a.get(), 2, 0), LICE_RGBA(0, 0, 0, 255));

  PngImage ga = Gray(2, 8, {{7, 0, 200, 99}});
  ga.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
  const Bitmap b = Decode(WritePng(ga));
  ASSERT_TRUE(b);
  EXPECT_EQ(At(b.get(), 0, 0), LICE_RGBA(7, 7, 7, 0));
  EXPECT_EQ(At(b.get(), 1, 0), LICE_RGBA(200, 200, 200, 99));
}

TEST(PngDecode, SixteenBitSamplesKeepTheirHighByte)
{
  PngImage rgb;
  rgb.width = 1;
  rgb.height = 1;
  rgb.colorType = PNG_COLOR_TYPE_RGB;
  rgb.bitDepth = 16;
  rgb.rows = {{0x12, 0x34, 0xAB, 0xCD, 0xFF, 0x00}};
  const Bitmap a = Decode(WritePng(rgb));
  ASSERT_TRUE(a);
  EXPECT_EQ(At(a.get(), 0, 0), LICE_RGBA(0x12, 0xAB, 0xFF, 255));

  PngImage rgba = rgb;
  rgba.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
  rgba.rows = {{0x00, 0x10, 0x7F, 0xFF, 0xFF, 0xFF, 0x80, 0x00}};
  const Bitmap b = Decode(WritePng(rgba));
  ASSERT_TRUE(b);
  EXPECT_EQ(At(b.get(), 0, 0), LICE_RGBA(0x00, 0x7F, 0xFF, 0x80));

  PngImage grey = Gray(2, 16, {{0xC3, 0x21, 0x00, 0xFF}});
  const Bitmap c = Decode(WritePng(grey));
  ASSERT_TRUE(c);
  EXPECT_EQ(At(c.get(), 0, 0), LICE_RGBA(0xC3, 0xC3, 0xC3, 255));
  EXPECT_EQ(At(c.get(), 1, 0), LICE_RGBA(0, 0, 0, 255));
}

TEST(PngDecode, InterlacedEqualsProgressive)
{
  PngImage img = MakeRgba(13, 11, [](int x, int y) { return static_cast<uint32_t>(x * 19 + y * 7) * 0x01030507u; });
  const Bitmap plain = Decode(WritePng(img));
  img.interlaced = true;
  const Bitmap adam7 = Decode(WritePng(img));
  ASSERT_TRUE(plain);
  ASSERT_TRUE(adam7);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 13; ++x) ASSERT_EQ(At(adam7.get(), x, y), At(plain.get(), x, y)) << x << "," << y;
}

// Every image size the editor carries decodes to that size, rows in place.
TEST(PngDecode, EditorImageSizes)
{
  const int sizes[][2] = {{846, 698}, {846, 768}, {48, 1584}, {10, 360}, {6, 35},  {28, 2432}, {96, 6240}, {28, 48},
                          {24, 792},  {9, 2688},  {11, 3136}, {15, 4480}, {108, 1500}, {26, 72}, {76, 270}};
  for (const auto& s : sizes) {
    const int w = s[0], h = s[1];
    PngImage img = MakeRgba(w, h, [](int x, int y) { return static_cast<uint32_t>((x & 0xFF) << 24 | (y & 0xFF) << 16 | (y >> 8) << 8 | 0xFF); });
    img.compression = 1;
    const Bitmap bm = Decode(WritePng(img));
    ASSERT_TRUE(bm) << w << "x" << h;
    EXPECT_EQ(bm->GetWidth(), w);
    EXPECT_EQ(bm->GetHeight(), h);
    for (int y : {0, h / 2, h - 1})
      for (int x : {0, w - 1}) EXPECT_EQ(At(bm.get(), x, y), LICE_RGBA(x & 0xFF, y & 0xFF, y >> 8, 0xFF)) << w << "x" << h;
  }
}
