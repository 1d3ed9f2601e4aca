#pragma once
// Writes PNG files into memory with libpng, so the decoder tests can make
// exactly the images they need.
#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <vector>

struct PngImage {
  int width = 0;
  int height = 0;
  int colorType = PNG_COLOR_TYPE_RGB_ALPHA;
  int bitDepth = 8;
  bool interlaced = false;
  int compression = 6;
  std::vector<png_color> palette;
  std::vector<png_byte> paletteAlpha;  // tRNS for palette images
  bool hasTransparentColor = false;    // tRNS for grey and RGB images
  png_color_16 transparentColor = {};
  std::vector<std::vector<png_byte>> rows;  // packed as the PNG stores them
};

namespace png_writer_detail {
inline void Append(png_structp png, png_bytep data, png_size_t n)
{
  auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}
inline void Flush(png_structp) {}

// Only plain data here: libpng reports errors by longjmp.
inline bool Write(png_structp png, png_infop info, const PngImage* img, std::vector<unsigned char>* out,
                  png_bytepp rows)
{
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, out, Append, Flush);
  png_set_compression_level(png, img->compression);
  png_set_IHDR(png, info, static_cast<png_uint_32>(img->width), static_cast<png_uint_32>(img->height),
               img->bitDepth, img->colorType, img->interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!img->palette.empty())
    png_set_PLTE(png, info, img->palette.data(), static_cast<int>(img->palette.size()));
  if (!img->paletteAlpha.empty())
    png_set_tRNS(png, info, img->paletteAlpha.data(), static_cast<int>(img->paletteAlpha.size()), nullptr);
  if (img->hasTransparentColor) png_set_tRNS(png, info, nullptr, 0, &img->transparentColor);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  return true;
}
}  // namespace png_writer_detail

inline std::vector<unsigned char> WritePng(const PngImage& img)
{
  std::vector<unsigned char> out;
  std::vector<png_bytep> rows;
  for (const auto& r : img.rows) rows.push_back(const_cast<png_bytep>(r.data()));
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  const bool ok = info && png_writer_detail::Write(png, info, &img, &out, rows.data());
  png_destroy_write_struct(&png, &info);
  if (!ok) out.clear();
  return out;
}

// An 8-bit RGBA image whose pixel (x, y) is given by f(x, y) as R, G, B, A.
template <class F>
PngImage MakeRgba(int width, int height, F f)
{
  PngImage img;
  img.width = width;
  img.height = height;
  for (int y = 0; y < height; ++y) {
    std::vector<png_byte> row;
    for (int x = 0; x < width; ++x) {
      const uint32_t rgba = f(x, y);
      row.push_back(static_cast<png_byte>(rgba >> 24));
      row.push_back(static_cast<png_byte>(rgba >> 16));
      row.push_back(static_cast<png_byte>(rgba >> 8));
      row.push_back(static_cast<png_byte>(rgba));
    }
    img.rows.push_back(row);
  }
  return img;
}
