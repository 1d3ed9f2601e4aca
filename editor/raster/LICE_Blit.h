#pragma once
// Rectangle copies between raster bitmaps.
#include "editor/raster/LICE_Bitmap.h"

// Blend kind in the low byte, optionally combined with kBlitUseSourceAlpha.
enum : int {
  kBlitModeCopy = 0,
  kBlitModeAdd = 1,
  kBlitModeDodge = 2,
  kBlitModeMultiply = 3,
  kBlitModeOverlay = 4,
  kBlitModeMask = 0xFF,
  kBlitUseSourceAlpha = 0x10000,
};

// Copies srcRect of src (all of it when null) to (x, y) of dest. Parts outside
// either bitmap are dropped: a negative source left or top moves the
// destination instead, a negative destination position moves the source start.
// opacity 0 (or an absent bitmap) does nothing; opacity above 1 counts as 1.
// Modes without their own blend (hue adjustment, channel copy) copy.
void Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int x, int y, const LICE_Rect* srcRect, float opacity, int mode);
