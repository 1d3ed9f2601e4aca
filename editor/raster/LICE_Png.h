#pragma once
// PNG images for the editor: decoding from memory and from the module's
// resources.
#include <cstddef>

#include "editor/raster/LICE_Bitmap.h"

// Decodes a PNG held in memory into a new bitmap that the caller owns, in the
// raster pixel format (not premultiplied). Null when the bytes are not a PNG or
// the image is damaged, truncated or unreasonably large.
LICE_MemBitmap* LoadPngFromMemory(const void* data, size_t length);

// True when the text after the last full stop of fileName is "png" in any case.
bool HasPngExtension(const char* fileName);

// The platform bitmap loader of the editor: fileName must name a PNG, and the
// image itself comes from the resource `id` of type "PNG" of `module` (null:
// the module holding this code). Null when the name is not a PNG, the resource
// is missing or shorter than a PNG signature, or it does not decode.
LICE_MemBitmap* LoadPngResource(int id, const char* fileName, void* module = nullptr);
