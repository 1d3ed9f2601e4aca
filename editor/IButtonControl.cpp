#include "editor/IButtonControl.h"

#include <vector>

#include "editor/IGraphics.h"

IButtonControl::IButtonControl(IPlugBase* plug, const IBitmap& image, int firstFrame, const IRect& rect)
    : IControl(plug, rect),
      mImageRECT(rect.L, rect.T, rect.L + image.W, rect.T + image.H / image.N),
      mImage(image),
      mFirstFrame(firstFrame)
{
}

// State changes do not mark the button dirty: the always-dirty keyboard and
// meters make every pass cover it anyway.
void IButtonControl::OnMouseDown(int, int, const IMouseMod&) { mState = kStatePressed; }

void IButtonControl::OnMouseOver(int, int, const IMouseMod&) { mState = kStateOver; }

void IButtonControl::OnMouseOut() { mState = kStateNormal; }

void IButtonControl::OnMouseUp(int, int, const IMouseMod&)
{
  // A handler may add listeners: call a snapshot, not the live set.
  const std::vector<Listener> listeners(mListeners.begin(), mListeners.end());
  for (const Listener& l : listeners) l.handler(l.object);
}

bool IButtonControl::Draw(IGraphics* graphics)
{
  int frame = mFirstFrame + mState + 1;
  if (frame > mImage.N) frame = mImage.N;
  int srcX = 0, srcY = 0;
  FrameOffset(mImage, frame, &srcX, &srcY);
  return graphics->DrawBitmap(mImage, mImageRECT, srcX, srcY, &mBlend);
}
