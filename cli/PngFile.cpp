#include "cli/PngFile.h"

#include <png.h>

#include <csetjmp>

// libpng reports errors by longjmp: the frames it jumps across hold plain
// data only.

PngFile::~PngFile() { Abandon(); }

void PngFile::Abandon()
{
  if (mPng) png_destroy_write_struct(&mPng, &mInfo);
  mPng = nullptr;
  mInfo = nullptr;
  if (mFile) {
    std::fclose(mFile);
    std::remove(mPath.c_str());
  }
  mFile = nullptr;
}

bool PngFile::Open(const std::string& path, int width, int height)
{
  Abandon();
  if (width <= 0 || height <= 0) return false;
  mPath = path;
  mWidth = width;
  mHeight = height;
  mWritten = 0;
  mRow.assign(static_cast<size_t>(width) * 3, 0);
  mFile = std::fopen(path.c_str(), "wb");
  if (!mFile) return false;
  mPng = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (mPng) mInfo = png_create_info_struct(mPng);
  if (!mInfo || setjmp(png_jmpbuf(mPng))) {
    Abandon();
    return false;
  }
  png_init_io(mPng, mFile);
  png_set_IHDR(mPng, mInfo, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(mPng, mInfo);
  return true;
}

bool PngFile::Append(LICE_IBitmap* bitmap, int rows)
{
  if (!mPng || !bitmap || bitmap->GetWidth() < mWidth || rows > bitmap->GetHeight() || rows > mHeight - mWritten)
    return false;
  uint8_t* out = mRow.data();
  if (setjmp(png_jmpbuf(mPng))) {
    Abandon();
    return false;
  }
  for (int y = 0; y < rows; ++y) {
    const LICE_pixel* src = LICE_Row(bitmap, y);
    for (int x = 0; x < mWidth; ++x) {
      out[3 * x] = static_cast<uint8_t>(LICE_GETR(src[x]));
      out[3 * x + 1] = static_cast<uint8_t>(LICE_GETG(src[x]));
      out[3 * x + 2] = static_cast<uint8_t>(LICE_GETB(src[x]));
    }
    png_write_row(mPng, out);
  }
  mWritten += rows;
  return true;
}

bool PngFile::Finish()
{
  if (!mPng || mWritten != mHeight) {
    Abandon();
    return false;
  }
  if (setjmp(png_jmpbuf(mPng))) {
    Abandon();
    return false;
  }
  png_write_end(mPng, nullptr);
  png_destroy_write_struct(&mPng, &mInfo);
  mPng = nullptr;
  mInfo = nullptr;
  const bool closed = std::fclose(mFile) == 0;
  mFile = nullptr;
  if (!closed) std::remove(mPath.c_str());
  return closed;
}
