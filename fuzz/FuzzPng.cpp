// PNG decoding of the editor's images: any bytes. A decoded image has a sane
// size, every pixel can be read, and decoding the same bytes again gives the
// same pixels.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "editor/raster/LICE_Png.h"
#include "editor/raster/LICE_Bitmap.h"

#define FUZZ_CHECK(cond)                                                        \
  do {                                                                          \
    if (!(cond)) {                                                              \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                             \
    }                                                                           \
  } while (0)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  std::unique_ptr<LICE_MemBitmap> a(LoadPngFromMemory(data, size));
  if (!a) return 0;
  const int w = a->GetWidth(), h = a->GetHeight();
  FUZZ_CHECK(w > 0 && h > 0);
  std::unique_ptr<LICE_MemBitmap> b(LoadPngFromMemory(data, size));
  FUZZ_CHECK(b && b->GetWidth() == w && b->GetHeight() == h);
  const int spanA = a->GetRowSpan(), spanB = b->GetRowSpan();
  for (int y = 0; y < h; ++y)
    FUZZ_CHECK(std::memcmp(a->GetBits() + static_cast<size_t>(y) * spanA, b->GetBits() + static_cast<size_t>(y) * spanB,
                           sizeof(*a->GetBits()) * static_cast<size_t>(w)) == 0);
  return 0;
}
