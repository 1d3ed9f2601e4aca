// A top-down 32-bit DIB section selected into a memory DC, so GDI can draw into
// the pixels and copy them to a window.
#include "editor/raster/LICE_Bitmap.h"

#include <windows.h>

LICE_SysBitmap::LICE_SysBitmap(int width, int height)
{
  mDC = CreateCompatibleDC(nullptr);
  Resize(width, height);
}

LICE_SysBitmap::~LICE_SysBitmap()
{
  Release();
  if (mDC) DeleteDC(mDC);
}

bool LICE_SysBitmap::Reallocate(int allocWidth, int height)
{
  Release();
  BITMAPINFO bmi = {};
  bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
  bmi.bmiHeader.biWidth = allocWidth;
  bmi.bmiHeader.biHeight = -height;  // negative: rows run top-down
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(mDC, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!section || !bits) {
    if (section) DeleteObject(section);
    return false;
  }
  mSection = section;
  mBits = static_cast<LICE_pixel*>(bits);
  if (mDC) mOldBitmap = SelectObject(mDC, section);
  mAllocWidth = allocWidth;
  mAllocHeight = height;
  return true;
}

void LICE_SysBitmap::Release()
{
  if (mSection) {
    if (mDC && mOldBitmap) SelectObject(mDC, static_cast<HGDIOBJ>(mOldBitmap));
    DeleteObject(static_cast<HGDIOBJ>(mSection));
  }
  mSection = nullptr;
  mOldBitmap = nullptr;
  mBits = nullptr;
  mAllocWidth = mAllocHeight = 0;
}
