#include "editor/IGraphicsStructs.h"

#include <algorithm>
#include <cstring>

#include "framework/IParameter.h"

IRect IRect::Intersect(const IRect& o) const
{
  if (!Intersects(o)) return IRect();
  return IRect(std::max(L, o.L), std::max(T, o.T), std::min(R, o.R), std::min(B, o.B));
}

IRect IRect::Union(const IRect& o) const
{
  if (Empty()) return o;
  if (o.Empty()) return *this;
  return IRect(std::min(L, o.L), std::min(T, o.T), std::max(R, o.R), std::max(B, o.B));
}

IText::IText(int size, const IColor* color, const char* font) : mSize(size), mColor(color ? *color : IColor())
{
  std::memset(mFont, 0, sizeof(mFont));
  CopyText(mFont, font ? font : "Verdana", kFontNameSize);
}

int FrameFromValue(double value, int nFrames)
{
  if (nFrames < 2) return 1;
  const double product = (nFrames - 1) * value;
  // Also catches NaN, and keeps the conversion below in range.
  if (!(product > 0.0)) return 1;
  if (product >= nFrames) return nFrames;
  return std::min(static_cast<int>(product + 0.5) + 1, nFrames);
}

void FrameOffset(const IBitmap& bitmap, int frame, int* x, int* y)
{
  *x = *y = 0;
  if (bitmap.N < 2 || frame < 2) return;
  const double size = bitmap.mFramesAreHorizontal ? bitmap.W : bitmap.H;
  const int offset = static_cast<int>(static_cast<double>(frame - 1) * size / bitmap.N + 0.5);
  if (bitmap.mFramesAreHorizontal)
    *x = offset;
  else
    *y = offset;
}
