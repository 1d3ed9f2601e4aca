// Without a windowing system the "system" bitmap is plain memory; the editor's
// headless side reads its pixels directly.
#include "editor/raster/LICE_Bitmap.h"

#include <cstdlib>
#include <limits>

LICE_SysBitmap::LICE_SysBitmap(int width, int height) { Resize(width, height); }

LICE_SysBitmap::~LICE_SysBitmap() { Release(); }

bool LICE_SysBitmap::Reallocate(int allocWidth, int height)
{
  Release();
  // Both factors are below 2^31, so the product cannot wrap.
  const uint64_t pixels = static_cast<uint64_t>(allocWidth) * static_cast<uint64_t>(height);
  if (pixels > std::numeric_limits<size_t>::max() / 4 / sizeof(LICE_pixel)) return false;
  const uint64_t bytes = pixels * sizeof(LICE_pixel);
  // calloc: a fresh DIB section starts black and transparent too.
  mSection = std::calloc(static_cast<size_t>(bytes), 1);
  if (!mSection) return false;
  mBits = static_cast<LICE_pixel*>(mSection);
  mAllocWidth = allocWidth;
  mAllocHeight = height;
  return true;
}

void LICE_SysBitmap::Release()
{
  std::free(mSection);
  mSection = nullptr;
  mBits = nullptr;
  mAllocWidth = mAllocHeight = 0;
}
