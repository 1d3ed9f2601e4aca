#include "editor/drawn/OverlayPaint.h"

#include <algorithm>

#include "editor/BitmapFont.h"
#include "editor/IGraphics.h"
#include "editor/raster/LICE_Blit.h"

namespace overlay {
namespace {

// rect limited to clip and to the bitmap; false when nothing is left.
bool Limit(LICE_IBitmap* dest, const IRect& rect, const IRect& clip, IRect* out)
{
  if (!dest || !dest->GetBits()) return false;
  out->L = std::max({rect.L, clip.L, 0});
  out->T = std::max({rect.T, clip.T, 0});
  out->R = std::min({rect.R, clip.R, dest->GetWidth()});
  out->B = std::min({rect.B, clip.B, dest->GetHeight()});
  return out->L < out->R && out->T < out->B;
}

}  // namespace

IBitmap LoadGlyphs(IGraphics* graphics) { return graphics->LoadBitmap(kGlyphStripId, kGlyphStripFile, 224); }

void FillRect(LICE_IBitmap* dest, const IRect& rect, LICE_pixel color, const IRect& clip)
{
  IRect r;
  if (!Limit(dest, rect, clip, &r)) return;
  for (int y = r.T; y < r.B; ++y) std::fill(LICE_Row(dest, y) + r.L, LICE_Row(dest, y) + r.R, color);
}

void FrameRect(LICE_IBitmap* dest, const IRect& rect, LICE_pixel color, const IRect& clip)
{
  FillRect(dest, IRect(rect.L, rect.T, rect.R, rect.T + 1), color, clip);
  FillRect(dest, IRect(rect.L, rect.B - 1, rect.R, rect.B), color, clip);
  FillRect(dest, IRect(rect.L, rect.T, rect.L + 1, rect.B), color, clip);
  FillRect(dest, IRect(rect.R - 1, rect.T, rect.R, rect.B), color, clip);
}

int TextWidth(const char* text) { return TextRunWidth(kAdvances14, text); }

void DrawText(LICE_IBitmap* dest, const IBitmap& glyphs, const char* text, int x, int y, const IRect& clip,
              float opacity)
{
  if (!text || !glyphs.mData) return;
  const int w = glyphs.FrameWidth(), h = glyphs.FrameHeight();
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    const int advance = kAdvances14.Advance(*p);
    int frame = *p < kAdvances14.mFirst ? 1 : *p - kAdvances14.mFirst + 1;
    frame = std::min(frame, glyphs.N);
    int srcX = 0, srcY = 0;
    FrameOffset(glyphs, frame, &srcX, &srcY);
    IRect r;
    if (advance > 0 && Limit(dest, IRect(x, y, x + w, y + h), clip, &r)) {
      LICE_Rect src;
      src.l = srcX + r.L - x;
      src.t = srcY + r.T - y;
      src.r = src.l + r.W();
      src.b = src.t + r.H();
      Blit(dest, glyphs.mData, r.L, r.T, &src, opacity, kBlitModeCopy | kBlitUseSourceAlpha);
    }
    x += advance;
  }
}

}  // namespace overlay
