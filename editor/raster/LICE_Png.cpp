#include "editor/raster/LICE_Png.h"

#include <png.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/Resources.h"

namespace {
// The editor's largest image is a few thousand pixels tall; anything far
// beyond that is a damaged or hostile file, refused before allocating.
constexpr png_uint_32 kMaxSide = 1u << 15;
constexpr unsigned long long kMaxPixels = 1ull << 26;

struct PngSource {
  const unsigned char* data;
  size_t size;
  size_t pos;
};

// Everything the decode allocates, kept by the caller: an error inside libpng
// jumps out of DecodeImage, so only plain data may be in flight there.
struct PngJob {
  png_structp png;
  png_infop info;
  PngSource source;
  LICE_MemBitmap* bitmap;
  png_bytep* rows;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count)
{
  PngSource* src = static_cast<PngSource*>(png_get_io_ptr(png));
  if (count > src->size - src->pos) png_error(png, "unexpected end of data");
  std::memcpy(out, src->data + src->pos, count);
  src->pos += count;
}

[[noreturn]] void OnPngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

void OnPngWarning(png_structp, png_const_charp) {}

void SetTransforms(png_structp png, png_infop info)
{
  png_uint_32 width = 0, height = 0;
  int depth = 0, colorType = 0;
  png_get_IHDR(png, info, &width, &height, &depth, &colorType, nullptr, nullptr, nullptr);
  const bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;

  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (hasTrns) png_set_tRNS_to_alpha(png);
  if (depth == 16) png_set_strip_16(png);
  if (depth < 8) png_set_packing(png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  if (!(colorType & PNG_COLOR_MASK_ALPHA) && !hasTrns) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
}

// Holds no object with a destructor: libpng's errors longjmp back to the setjmp
// here, past every frame in between.
bool DecodeImage(PngJob* job)
{
  if (setjmp(png_jmpbuf(job->png))) return false;

  png_set_read_fn(job->png, &job->source, ReadFromMemory);
  png_set_user_limits(job->png, kMaxSide, kMaxSide);
  png_read_info(job->png, job->info);
  SetTransforms(job->png, job->info);

  const png_uint_32 width = png_get_image_width(job->png, job->info);
  const png_uint_32 height = png_get_image_height(job->png, job->info);
  if (width == 0 || height == 0 || static_cast<unsigned long long>(width) * height > kMaxPixels) return false;
  if (png_get_rowbytes(job->png, job->info) != static_cast<size_t>(width) * 4) return false;

  job->bitmap = new (std::nothrow) LICE_MemBitmap(static_cast<int>(width), static_cast<int>(height));
  if (!job->bitmap || !job->bitmap->GetBits() || job->bitmap->GetWidth() != static_cast<int>(width) ||
      job->bitmap->GetHeight() != static_cast<int>(height))
    return false;
  job->rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
  if (!job->rows) return false;
  for (png_uint_32 y = 0; y < height; ++y)
    job->rows[y] = reinterpret_cast<png_bytep>(LICE_Row(job->bitmap, static_cast<int>(y)));
  png_read_image(job->png, job->rows);
  return true;
}

// libpng delivers R, G, B, A bytes; the raster format wants them as one
// little-endian word with alpha on top.
void ToPixels(LICE_MemBitmap* bm)
{
  const int w = bm->GetWidth(), h = bm->GetHeight();
  for (int y = 0; y < h; ++y) {
    LICE_pixel* row = LICE_Row(bm, y);
    for (int x = 0; x < w; ++x) {
      unsigned char rgba[4];
      std::memcpy(rgba, row + x, 4);
      row[x] = LICE_RGBA(rgba[0], rgba[1], rgba[2], rgba[3]);
    }
  }
}
}  // namespace

LICE_MemBitmap* LoadPngFromMemory(const void* data, size_t length)
{
  if (!data || length < 8) return nullptr;
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  if (png_sig_cmp(bytes, 0, 8) != 0) return nullptr;

  PngJob job = {};
  job.source = {bytes, length, 0};
  job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
  if (!job.png) return nullptr;
  job.info = png_create_info_struct(job.png);
  const bool ok = job.info && DecodeImage(&job);
  png_destroy_read_struct(&job.png, job.info ? &job.info : nullptr, nullptr);
  std::free(job.rows);
  if (!ok) {
    delete job.bitmap;
    return nullptr;
  }
  ToPixels(job.bitmap);
  return job.bitmap;
}

bool HasPngExtension(const char* fileName)
{
  if (!fileName) return false;
  const char* dot = std::strrchr(fileName, '.');
  if (!dot) return false;
  const char* ext = dot + 1;
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  return std::strlen(ext) == 3 && lower(ext[0]) == 'p' && lower(ext[1]) == 'n' && lower(ext[2]) == 'g';
}

LICE_MemBitmap* LoadPngResource(int id, const char* fileName, void* module)
{
  if (!HasPngExtension(fileName)) return nullptr;
  const unsigned char* data = nullptr;
  size_t size = 0;
  if (!LoadModuleResource(id, data, size, module) || size < 8) return nullptr;
  return LoadPngFromMemory(data, size);
}
