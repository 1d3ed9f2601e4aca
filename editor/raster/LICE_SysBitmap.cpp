#include "editor/raster/LICE_Bitmap.h"

#include <climits>

bool LICE_SysBitmap::Resize(int width, int height)
{
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (width == mWidth && height == mHeight) return false;

  // Shrinking, or growing within what is allocated, keeps the pixel store.
  if (width <= mAllocWidth && height <= mAllocHeight) {
    mWidth = width;
    mHeight = height;
    return true;
  }

  const bool ok = width <= INT_MAX - 3 && width > 0 && height > 0 &&
                  Reallocate((width + 3) & ~3, height);
  if (!ok) {
    Release();
    mWidth = mHeight = 0;
    return true;
  }
  mWidth = width;
  mHeight = height;
  return true;
}
