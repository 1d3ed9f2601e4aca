#include "editor/IBitmapControl.h"

#include "editor/IGraphics.h"

IBitmapControl::IBitmapControl(IPlugBase* plug, int x, int y, int paramIdx, const IBitmap& bitmap,
                               const IBlend& blend)
    : IControl(plug, IRect(x, y, x + bitmap.W, y + bitmap.H / bitmap.N), paramIdx, blend), mBitmap(bitmap)
{
}

bool IBitmapControl::Draw(IGraphics* graphics)
{
  int srcX = 0, srcY = 0;
  FrameOffset(mBitmap, FrameFromValue(GetValue(), mBitmap.N), &srcX, &srcY);
  return graphics->DrawBitmap(mBitmap, mRECT, srcX, srcY, &mBlend);
}

void ISwitchControl::OnMouseDown(int, int, const IMouseMod&)
{
  double value = GetValue() + (mBitmap.N >= 2 ? 1.0 / (mBitmap.N - 1) : 1.0);
  if (value > 1.001) value = 0.0;
  SetValue(value);
  MarkDirty(true);
}

IBitmapOverlayControl::IBitmapOverlayControl(IPlugBase* plug, int x, int y, const IBitmap& bitmap,
                                             const IRect& targetArea, const IBlend& blend)
    : ISwitchControl(plug, x, y, -1, bitmap, blend), mTargetArea(targetArea)
{
  // Hidden from the start, so only the target area takes clicks even before
  // the first draw pass.
  mTargetRECT = targetArea;
}

bool IBitmapOverlayControl::Draw(IGraphics* graphics)
{
  if (GetValue() < 0.5) {
    mTargetRECT = mTargetArea;
    return true;
  }
  mTargetRECT = mRECT;
  return IBitmapControl::Draw(graphics);
}
