// Damaged PNG data must give a null bitmap, never a crash or a leak (these
// tests also run under AddressSanitizer, whose leak check covers the error
// paths).
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "editor/raster/LICE_Png.h"
#include "tests/raster/PngWriter.h"

namespace {
using Bitmap = std::unique_ptr<LICE_MemBitmap>;
using Bytes = std::vector<unsigned char>;

Bitmap Decode(const Bytes& bytes, size_t length) { return Bitmap(LoadPngFromMemory(bytes.data(), length)); }
Bitmap Decode(const Bytes& bytes) { return Decode(bytes, bytes.size()); }

uint32_t ReadBE(const Bytes& b, size_t at)
{
  return static_cast<uint32_t>(b[at]) << 24 | static_cast<uint32_t>(b[at + 1]) << 16 |
         static_cast<uint32_t>(b[at + 2]) << 8 | b[at + 3];
}

void WriteBE(Bytes& b, size_t at, uint32_t v)
{
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}

struct Chunk {
  size_t start;  // offset of the length field
  size_t dataStart;
  uint32_t length;
  size_t end;    // one past the CRC
};

Chunk Find(const Bytes& b, const char* type)
{
  for (size_t at = 8; at + 12 <= b.size();) {
    const uint32_t len = ReadBE(b, at);
    if (std::memcmp(&b[at + 4], type, 4) == 0) return {at, at + 8, len, at + 12 + len};
    at += 12 + len;
  }
  ADD_FAILURE() << "no " << type << " chunk";
  return {0, 0, 0, 0};
}

// Recomputes a chunk's CRC after its data was edited, so that only the edit
// itself is wrong.
void FixCrc(Bytes& b, const Chunk& c)
{
  const uLong crc = crc32(0L, &b[c.start + 4], static_cast<uInt>(c.length + 4));
  WriteBE(b, c.dataStart + c.length, static_cast<uint32_t>(crc));
}

// Recomputes every CRC it can reach, so random damage gets past the checksums
// into the header checks and the decompression.
void FixAllCrcs(Bytes& b)
{
  for (size_t at = 8; at + 12 <= b.size();) {
    const uint32_t len = ReadBE(b, at);
    if (len > b.size() - at - 12) break;
    FixCrc(b, {at, at + 8, len, at + 12 + len});
    at += 12 + len;
  }
}

Bytes SmallImage()
{
  return WritePng(MakeRgba(16, 16, [](int x, int y) { return static_cast<uint32_t>(x * 16 + y) * 0x01010101u; }));
}

Bytes PaletteImage()
{
  PngImage img;
  img.width = 9;
  img.height = 7;
  img.colorType = PNG_COLOR_TYPE_PALETTE;
  img.bitDepth = 4;
  for (int i = 0; i < 16; ++i) img.palette.push_back({static_cast<png_byte>(i * 16), 0, static_cast<png_byte>(255 - i)});
  img.paletteAlpha = {0, 50, 100};
  for (int y = 0; y < 7; ++y) img.rows.push_back({0x01, 0x23, 0x45, 0x67, static_cast<png_byte>(y << 4)});
  return WritePng(img);
}

Bytes NoisyImage()
{
  std::mt19937 rng(7);
  return WritePng(MakeRgba(23, 17, [&rng](int, int) { return static_cast<uint32_t>(rng()); }));
}
}  // namespace

TEST(PngErrors, NotAPng)
{
  const Bytes good = SmallImage();
  ASSERT_TRUE(Decode(good));
  EXPECT_FALSE(LoadPngFromMemory(nullptr, 100));
  for (size_t n = 0; n < 8; ++n) EXPECT_FALSE(Decode(good, n)) << n;
  Bytes wrong = good;
  wrong[1] = 'Q';
  EXPECT_FALSE(Decode(wrong));
  const std::string text = "hello, this is not an image at all";
  EXPECT_FALSE(LoadPngFromMemory(text.data(), text.size()));
}

TEST(PngErrors, EveryTruncationBeforeTheImageEndsFails)
{
  for (const Bytes& good : {SmallImage(), PaletteImage()}) {
    const Chunk idat = Find(good, "IDAT");
    for (size_t n = 8; n < idat.end; ++n) EXPECT_FALSE(Decode(good, n)) << "length " << n;
    // Losing only the end marker still leaves a whole image.
    EXPECT_TRUE(Decode(good, idat.end));
  }
}

TEST(PngErrors, DamagedHeaderFails)
{
  const Bytes good = SmallImage();
  const Chunk ihdr = Find(good, "IHDR");

  Bytes badCrc = good;
  badCrc[ihdr.dataStart + 3] ^= 0x01;  // width changes, CRC does not
  EXPECT_FALSE(Decode(badCrc));

  Bytes zeroWidth = good;
  WriteBE(zeroWidth, ihdr.dataStart, 0);
  FixCrc(zeroWidth, ihdr);
  EXPECT_FALSE(Decode(zeroWidth));
}

TEST(PngErrors, HugeDimensionsAreRefusedBeforeAllocating)
{
  const Bytes good = SmallImage();
  const Chunk ihdr = Find(good, "IHDR");
  for (uint32_t side : {100000u, 30000u, 0x7FFFFFFFu}) {
    Bytes huge = good;
    WriteBE(huge, ihdr.dataStart, side);
    WriteBE(huge, ihdr.dataStart + 4, side);
    FixCrc(huge, ihdr);
    EXPECT_FALSE(Decode(huge)) << side;
  }
}

TEST(PngErrors, DamagedImageDataFails)
{
  const Bytes good = SmallImage();
  const Chunk idat = Find(good, "IDAT");
  Bytes badHeader = good;
  badHeader[idat.dataStart] = 0xFF;  // not a zlib stream
  badHeader[idat.dataStart + 1] = 0xFF;
  FixCrc(badHeader, idat);
  EXPECT_FALSE(Decode(badHeader));

  Bytes badCrc = good;
  badCrc[idat.dataStart + idat.length / 2] ^= 0x55;
  EXPECT_FALSE(Decode(badCrc));

  // Header and end marker with the image data cut out.
  Bytes noData(good.begin(), good.begin() + static_cast<long>(idat.start));
  noData.insert(noData.end(), good.begin() + static_cast<long>(idat.end), good.end());
  EXPECT_FALSE(Decode(noData));
}

// Random damage anywhere: whatever comes out must be a sound bitmap or null.
TEST(PngErrors, RandomDamageNeverBreaksTheDecoder)
{
  std::mt19937 rng(20240611);
  int decoded = 0;
  for (const Bytes& good : {SmallImage(), PaletteImage(), NoisyImage()}) {
    for (int round = 0; round < 2000; ++round) {
      Bytes bad = good;
      const int edits = 1 + static_cast<int>(rng() % 4);
      for (int e = 0; e < edits; ++e) bad[8 + rng() % (bad.size() - 8)] = static_cast<unsigned char>(rng());
      if (round % 2 == 0) FixAllCrcs(bad);
      const size_t length = (round % 5 == 0) ? 8 + rng() % (bad.size() - 8) : bad.size();
      const Bitmap bm = Decode(bad, length);
      if (bm) {
        ASSERT_GT(bm->GetWidth(), 0);
        ASSERT_GT(bm->GetHeight(), 0);
        ASSERT_NE(bm->GetBits(), nullptr);
        ++decoded;
      }
    }
  }
  // Some damage (in ancillary data, or harmless to the pixels) still decodes.
  EXPECT_GT(decoded, 0);
}
