#include "editor/raster/LICE_Blit.h"

#include <algorithm>
#include <cstring>

namespace {
inline int Channel(LICE_pixel p, int shift) { return static_cast<int>((p >> shift) & 0xFF); }

// Colour of one byte lane for the blend kinds; s and d are 0..255.
struct CopyOp {
  static int Apply(int s, int) { return s; }
};
struct AddOp {
  static int Apply(int s, int d) { return std::min(255, s + d); }
};
struct DodgeOp {
  static int Apply(int s, int d) { return s >= 255 ? (d ? 255 : 0) : std::min(255, d * 256 / (256 - s)); }
};
struct MultiplyOp {
  static int Apply(int s, int d) { return s * d / 255; }
};
struct OverlayOp {
  static int Apply(int s, int d) { return d < 128 ? 2 * s * d / 255 : 255 - 2 * (255 - s) * (255 - d) / 255; }
};

// All four bytes move from d toward the blended colour by weight w of 256.
template <class Op>
void WeightedRow(LICE_pixel* d, const LICE_pixel* s, int n, int w)
{
  for (int i = 0; i < n; ++i) {
    LICE_pixel out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      const int dc = Channel(d[i], shift);
      const int c = Op::Apply(Channel(s[i], shift), dc);
      out |= static_cast<LICE_pixel>(c + (dc - c) * (256 - w) / 256) << shift;
    }
    d[i] = out;
  }
}

// Colour moves toward the blended colour by the source alpha (scaled by w when
// the opacity is not 1); the destination alpha accumulates.
template <class Op>
void SourceAlphaRow(LICE_pixel* d, const LICE_pixel* s, int n, int w)
{
  for (int i = 0; i < n; ++i) {
    const int a = static_cast<int>(LICE_GETA(s[i]));
    if (a == 0) continue;
    int keep, alpha;  // keep: how much of d survives, out of 256
    if (w >= 256) {
      keep = 255 - a;  // 0 for an opaque pixel: the colour is replaced
      alpha = a;
    } else {
      alpha = w * (a + 1) / 256;
      keep = 256 - alpha;
    }
    LICE_pixel out = static_cast<LICE_pixel>(std::min(255, alpha + static_cast<int>(LICE_GETA(d[i])))) << 24;
    for (int shift = 0; shift < 24; shift += 8) {
      const int dc = Channel(d[i], shift);
      const int c = Op::Apply(Channel(s[i], shift), dc);
      out |= static_cast<LICE_pixel>(c + (dc - c) * keep / 256) << shift;
    }
    d[i] = out;
  }
}

template <class Op>
void BlendRows(LICE_IBitmap* dest, LICE_IBitmap* src, int dx, int dy, int sx, int sy, int w, int h, int weight,
               bool useAlpha)
{
  for (int row = 0; row < h; ++row) {
    LICE_pixel* d = LICE_Row(dest, dy + row) + dx;
    const LICE_pixel* s = LICE_Row(src, sy + row) + sx;
    if (useAlpha)
      SourceAlphaRow<Op>(d, s, w, weight);
    else
      WeightedRow<Op>(d, s, w, weight);
  }
}

void CopyRows(LICE_IBitmap* dest, LICE_IBitmap* src, int dx, int dy, int sx, int sy, int w, int h, float opacity)
{
  for (int row = 0; row < h; ++row) {
    LICE_pixel* d = LICE_Row(dest, dy + row) + dx;
    const LICE_pixel* s = LICE_Row(src, sy + row) + sx;
    if (opacity >= 1.0f) {
      std::memcpy(d, s, static_cast<size_t>(w) * sizeof(LICE_pixel));
    } else {
      // Halving each byte (dropping its lowest bit) is the cheap exact 50 % mix.
      for (int i = 0; i < w; ++i) d[i] = ((d[i] >> 1) & 0x7F7F7F7Fu) + ((s[i] >> 1) & 0x7F7F7F7Fu);
    }
  }
}
}  // namespace

void Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int x, int y, const LICE_Rect* srcRect, float opacity, int mode)
{
  if (!dest || !src || !(opacity > 0.0f)) return;  // also rejects NaN
  if (opacity > 1.0f) opacity = 1.0f;

  // 64-bit arithmetic so extreme rectangles cannot overflow while clipping.
  const long long srcW = src->GetWidth(), srcH = src->GetHeight();
  long long sl = 0, st = 0, sr = srcW, sb = srcH;
  if (srcRect) {
    sl = srcRect->l;
    st = srcRect->t;
    sr = std::min<long long>(srcRect->r, srcW);
    sb = std::min<long long>(srcRect->b, srcH);
  }
  long long dx = x, dy = y;
  if (sl < 0) { dx -= sl; sl = 0; }
  if (st < 0) { dy -= st; st = 0; }
  if (dx < 0) { sl -= dx; dx = 0; }
  if (dy < 0) { st -= dy; dy = 0; }
  const long long w = std::min(sr - sl, static_cast<long long>(dest->GetWidth()) - dx);
  const long long h = std::min(sb - st, static_cast<long long>(dest->GetHeight()) - dy);
  if (w <= 0 || h <= 0 || !dest->GetBits() || !src->GetBits()) return;

  // A bitmap blitted onto itself may overlap; work from a copy of the source.
  LICE_MemBitmap copy;
  if (src == dest) {
    if (!copy.Resize(static_cast<int>(w), static_cast<int>(h)) || !copy.GetBits()) return;
    const LICE_Rect part = {static_cast<int>(sl), static_cast<int>(st), static_cast<int>(sl + w),
                            static_cast<int>(st + h)};
    Blit(&copy, src, 0, 0, &part, 1.0f, kBlitModeCopy);
    src = &copy;
    sl = st = 0;
  }

  const int ix = static_cast<int>(dx), iy = static_cast<int>(dy);
  const int isx = static_cast<int>(sl), isy = static_cast<int>(st);
  const int iw = static_cast<int>(w), ih = static_cast<int>(h);
  const bool useAlpha = (mode & kBlitUseSourceAlpha) != 0;
  const int weight = opacity >= 1.0f ? 256 : static_cast<int>(opacity * 256);

  switch (mode & kBlitModeMask) {
  case kBlitModeAdd: BlendRows<AddOp>(dest, src, ix, iy, isx, isy, iw, ih, weight, useAlpha); break;
  case kBlitModeDodge: BlendRows<DodgeOp>(dest, src, ix, iy, isx, isy, iw, ih, weight, useAlpha); break;
  case kBlitModeMultiply: BlendRows<MultiplyOp>(dest, src, ix, iy, isx, isy, iw, ih, weight, useAlpha); break;
  case kBlitModeOverlay: BlendRows<OverlayOp>(dest, src, ix, iy, isx, isy, iw, ih, weight, useAlpha); break;
  default:
    if (!useAlpha && (opacity >= 1.0f || opacity == 0.5f))
      CopyRows(dest, src, ix, iy, isx, isy, iw, ih, opacity);
    else
      BlendRows<CopyOp>(dest, src, ix, iy, isx, isy, iw, ih, weight, useAlpha);
    break;
  }
}
