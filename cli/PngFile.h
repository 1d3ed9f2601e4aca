#pragma once
// An RGB PNG written row by row from raster bitmaps, so a picture taller than
// memory allows can be made a strip at a time.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "editor/raster/LICE_Bitmap.h"

struct png_struct_def;
struct png_info_def;

class PngFile {
public:
  PngFile() = default;
  ~PngFile();
  PngFile(const PngFile&) = delete;
  PngFile& operator=(const PngFile&) = delete;

  // Starts an image of width x height pixels in the file at path; false when
  // the file cannot be made.
  bool Open(const std::string& path, int width, int height);
  // Appends the first `rows` rows of a bitmap at least `width` pixels wide.
  bool Append(LICE_IBitmap* bitmap, int rows);
  // Ends the image and closes the file; true when every row arrived and every
  // write succeeded. A file never finished is removed.
  bool Finish();

private:
  void Abandon();
  png_struct_def* mPng = nullptr;
  png_info_def* mInfo = nullptr;
  std::FILE* mFile = nullptr;
  std::string mPath;
  std::vector<uint8_t> mRow;
  int mWidth = 0;
  int mHeight = 0;
  int mWritten = 0;
};
