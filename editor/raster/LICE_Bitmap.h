#pragma once
// 32-bit pixel bitmaps of the editor. A pixel holds alpha in bits 24-31, red
// 16-23, green 8-15 and blue 0-7 (in memory: blue, green, red, alpha); colours
// are never premultiplied.
#include <cstddef>
#include <cstdint>

#include "editor/raster/LICE_Types.h"

using LICE_pixel = uint32_t;

constexpr LICE_pixel LICE_RGBA(unsigned r, unsigned g, unsigned b, unsigned a)
{
  return ((a & 0xFFu) << 24) | ((r & 0xFFu) << 16) | ((g & 0xFFu) << 8) | (b & 0xFFu);
}
constexpr unsigned LICE_GETA(LICE_pixel p) { return p >> 24; }
constexpr unsigned LICE_GETR(LICE_pixel p) { return (p >> 16) & 0xFFu; }
constexpr unsigned LICE_GETG(LICE_pixel p) { return (p >> 8) & 0xFFu; }
constexpr unsigned LICE_GETB(LICE_pixel p) { return p & 0xFFu; }

// The virtual operations keep this order; code built elsewhere may rely on the
// table layout.
class LICE_IBitmap {
public:
  virtual ~LICE_IBitmap() = default;
  // First row of pixels; rows are GetRowSpan() pixels apart.
  virtual LICE_pixel* GetBits() = 0;
  virtual int GetWidth() = 0;
  virtual int GetHeight() = 0;
  virtual int GetRowSpan() = 0;
  // True when rows are stored bottom-up; none of our bitmaps are.
  virtual bool IsFlipped() { return false; }
  // True when the size changed.
  virtual bool Resize(int width, int height) = 0;
  // Native device context, null when the bitmap has none.
  virtual LICE_HDC GetDC() { return nullptr; }
  virtual intptr_t Extended(int id, void* data)
  {
    (void)id;
    (void)data;
    return 0;
  }
};

// Heap bitmap. Rows are padded to a multiple of 4 pixels and the first row
// starts on a 64-byte boundary.
class LICE_MemBitmap : public LICE_IBitmap {
public:
  LICE_MemBitmap() = default;
  LICE_MemBitmap(int width, int height);
  ~LICE_MemBitmap() override;
  LICE_MemBitmap(const LICE_MemBitmap&) = delete;
  LICE_MemBitmap& operator=(const LICE_MemBitmap&) = delete;

  LICE_pixel* GetBits() override;
  int GetWidth() override { return mWidth; }
  int GetHeight() override { return mHeight; }
  int GetRowSpan() override { return (mWidth + mRowAlign) & ~mRowAlign; }
  bool Resize(int width, int height) override;

private:
  int mWidth = 0;
  int mHeight = 0;
  unsigned char* mMemory = nullptr;
  size_t mAllocSize = 0;
  int mRowAlign = 3;
};

// Bitmap that the platform can draw into and copy to the screen: on Windows a
// top-down 32-bit DIB section selected into a memory DC, elsewhere plain memory
// with no device context.
class LICE_SysBitmap : public LICE_IBitmap {
public:
  explicit LICE_SysBitmap(int width = 0, int height = 0);
  ~LICE_SysBitmap() override;
  LICE_SysBitmap(const LICE_SysBitmap&) = delete;
  LICE_SysBitmap& operator=(const LICE_SysBitmap&) = delete;

  LICE_pixel* GetBits() override { return mBits; }
  int GetWidth() override { return mWidth; }
  int GetHeight() override { return mHeight; }
  int GetRowSpan() override { return mAllocWidth; }
  bool Resize(int width, int height) override;
  LICE_HDC GetDC() override { return mDC; }

private:
  // Replaces the pixel store with one of allocWidth x height; false on failure.
  bool Reallocate(int allocWidth, int height);
  void Release();

  int mWidth = 0;
  int mHeight = 0;
  LICE_pixel* mBits = nullptr;
  LICE_HDC mDC = nullptr;
  int mAllocWidth = 0;
  int mAllocHeight = 0;
  void* mSection = nullptr;   // HBITMAP on Windows, the pixel block elsewhere
  void* mOldBitmap = nullptr; // what the DC held before our section
};

// Row y of a bitmap, honouring bottom-up storage.
inline LICE_pixel* LICE_Row(LICE_IBitmap* bm, int y)
{
  const int row = bm->IsFlipped() ? bm->GetHeight() - 1 - y : y;
  return bm->GetBits() + static_cast<ptrdiff_t>(row) * bm->GetRowSpan();
}
