#include "editor/raster/LICE_Bitmap.h"

#include <cstdlib>
#include <limits>

namespace {
// Refuses sizes whose byte count could not be addressed (or would overflow the
// size arithmetic) instead of wrapping around to a small buffer.
bool BytesNeeded(int width, int height, int rowAlign, size_t& bytes)
{
  // Both factors are below 2^32, so their product cannot wrap.
  const uint64_t span = (static_cast<uint64_t>(width) + rowAlign) & ~static_cast<uint64_t>(rowAlign);
  const uint64_t pixels = span * static_cast<uint64_t>(height);
  const uint64_t limit = std::numeric_limits<size_t>::max() / 4;
  if (pixels > (limit - 63) / sizeof(LICE_pixel)) return false;
  bytes = static_cast<size_t>(pixels * sizeof(LICE_pixel) + 63);
  return true;
}
}  // namespace

LICE_MemBitmap::LICE_MemBitmap(int width, int height) { Resize(width, height); }

LICE_MemBitmap::~LICE_MemBitmap() { std::free(mMemory); }

LICE_pixel* LICE_MemBitmap::GetBits()
{
  if (!mMemory) return nullptr;
  const uintptr_t p = (reinterpret_cast<uintptr_t>(mMemory) + 63) & ~static_cast<uintptr_t>(63);
  return reinterpret_cast<LICE_pixel*>(p);
}

bool LICE_MemBitmap::Resize(int width, int height)
{
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (width == mWidth && height == mHeight) return false;

  if (width == 0 || height == 0) {
    std::free(mMemory);
    mMemory = nullptr;
    mAllocSize = 0;
    mWidth = width;
    mHeight = height;
    return true;
  }

  size_t need = 0;
  bool ok = BytesNeeded(width, height, mRowAlign, need);
  if (ok && need > mAllocSize) {
    // Grow with headroom so a bitmap resized step by step does not reallocate
    // every time.
    const size_t want = need + need / 4;
    void* grown = std::realloc(mMemory, want);
    if (!grown) {
      std::free(mMemory);
      mMemory = nullptr;
      grown = std::malloc(want);
    }
    mMemory = static_cast<unsigned char*>(grown);
    mAllocSize = grown ? want : 0;
    ok = grown != nullptr;
  }
  if (!ok) {
    std::free(mMemory);
    mMemory = nullptr;
    mAllocSize = 0;
    width = height = 0;
  }
  const bool changed = width != mWidth || height != mHeight;
  mWidth = width;
  mHeight = height;
  return changed;
}
