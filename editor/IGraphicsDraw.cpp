// Redraw of the graphics object: dirty-region collection, the draw pass,
// bitmap blits and native text.
#include <cstring>

#include "editor/GraphicsCaches.h"
#include "editor/IGraphics.h"
#include "editor/raster/LICE_Blit.h"
#include "editor/raster/LICE_Font.h"

bool IGraphics::CollectDirtyRect(IRect* rect)
{
  bool dirty = false;
  for (IControl* control : mControls) {
    if (control->IsDirty()) {
      *rect = rect->Union(control->GetRECT());
      dirty = true;
    }
  }
  return dirty;
}

bool IGraphics::Draw(const IRect& rect)
{
  const int n = NControls();
  if (n == 0) return true;

  if (mStrict) {
    mDrawRECT = rect;
    for (IControl* control : mControls) {
      if (!control->IsHidden() && !rect.Empty() && rect.Intersects(control->GetRECT())) control->Draw(this);
      control->MarkClean();
    }
  } else {
    IControl* background = mControls[0];
    if (background->IsDirty()) {
      mDrawRECT = background->GetRECT();
      for (int j = 0; j < n; ++j) {
        IControl* control = mControls[j];
        if (j == 0 || !control->IsHidden()) {
          control->Draw(this);
          control->MarkClean();
        }
      }
    } else {
      for (int i = 1; i < n; ++i) {
        IControl* dirty = mControls[i];
        if (!dirty->IsDirty()) continue;
        mDrawRECT = dirty->GetRECT();
        for (int j = 0; j < n; ++j) {
          IControl* control = mControls[j];
          if (control->IsHidden()) continue;
          if (j == i || mDrawRECT.Intersects(control->GetRECT())) control->Draw(this);
        }
        dirty->MarkClean();
      }
    }
  }
  return PresentToScreen(rect);
}

bool IGraphics::DrawBitmap(const IBitmap& bitmap, const IRect& dest, int srcX, int srcY, const IBlend* blend)
{
  const IRect r = dest.Intersect(mDrawRECT);
  // Nothing to copy (outside the pass, or a rectangle that covers nothing).
  if (r.R <= r.L || r.B <= r.T) return true;
  LICE_Rect src;
  src.l = srcX + r.L - dest.L;
  src.r = srcX + r.R - dest.L;
  src.t = srcY + r.T - dest.T;
  src.b = srcY + r.B - dest.T;

  float weight = 1.0f;
  int mode = kBlitModeCopy | kBlitUseSourceAlpha;
  if (blend) {
    weight = blend->mWeight;
    switch (blend->mMethod) {
      case IBlend::kBlendClobber: mode = kBlitModeCopy; break;
      case IBlend::kBlendAdd: mode = kBlitModeAdd | kBlitUseSourceAlpha; break;
      case IBlend::kBlendColorDodge: mode = kBlitModeDodge | kBlitUseSourceAlpha; break;
      default: break;
    }
  }
  Blit(mDrawBitmap.get(), bitmap.mData, r.L, r.T, &src, weight, mode);
  return true;
}

bool IGraphics::MeasureText(IText& text, const char* str, IRect& rect)
{
  return DrawOrMeasureText(text, str, rect, true);
}

bool IGraphics::DrawIText(IText& text, const char* str, IRect& rect)
{
  return DrawOrMeasureText(text, str, rect, false);
}

bool IGraphics::DrawOrMeasureText(IText& text, const char* str, IRect& rect, bool measure)
{
  if (!str || !*str) return true;
  LICE_IFont* font = text.mCached;
  if (!font) {
    font = FontCache::FindOrCreate(text);
    if (!font) return false;
    text.mCached = font;
  }

  font->SetTextColor(text.mColor.Packed());
  int flags = kTextNoClip;
  if (text.mColor.A < 255) flags |= kTextUseFgAlpha;
  if (text.mAlign == IText::kAlignNear)
    flags |= kTextLeft;
  else if (text.mAlign == IText::kAlignFar)
    flags |= kTextRight;
  else
    flags |= kTextCenter;

  if (measure) {
    LICE_Rect extent;
    font->DrawString(nullptr, str, -1, &extent, flags | kTextCalcRect);
    const int width = extent.r - extent.l, height = extent.b - extent.t;
    if (text.mAlign == IText::kAlignNear) {
      rect.R = rect.L + width;
    } else if (text.mAlign == IText::kAlignFar) {
      rect.L = rect.R - width;
    } else {
      rect.L = static_cast<int>((rect.L + rect.R) * 0.5) - width / 2;
      rect.R = rect.L + width;
    }
    rect.B = rect.T + height;
    return true;
  }

  LICE_Rect target;
  target.l = rect.L;
  target.t = rect.T;
  target.r = rect.R;
  target.b = rect.B;
  font->DrawString(mDrawBitmap.get(), str, -1, &target, flags);
  return true;
}
