#pragma once
// Controls that show one frame of a bitmap strip chosen by their value: the
// plain frame control, the switch that cycles through its frames on each
// click, and the overlay that a click on a small target area shows over its
// whole rectangle and the next click hides.
#include "editor/IControl.h"

class IBitmapControl : public IControl {
public:
  // The rectangle is one frame of the bitmap with its top-left at (x, y).
  IBitmapControl(IPlugBase* plug, int x, int y, int paramIdx, const IBitmap& bitmap, const IBlend& blend = IBlend());

  bool Draw(IGraphics* graphics) override;
  const IBitmap& GetBitmap() const { return mBitmap; }

protected:
  IBitmap mBitmap;
};

class ISwitchControl : public IBitmapControl {
public:
  using IBitmapControl::IBitmapControl;

  // Any button steps to the next frame, wrapping after the last.
  void OnMouseDown(int x, int y, const IMouseMod& mod) override;
  // A second step: a double click advances twice in all.
  void OnMouseDblClick(int x, int y, const IMouseMod& mod) override { OnMouseDown(x, y, mod); }
};

class IBitmapOverlayControl : public ISwitchControl {
public:
  IBitmapOverlayControl(IPlugBase* plug, int x, int y, const IBitmap& bitmap, const IRect& targetArea,
                        const IBlend& blend = IBlend());

  // Hidden (value below 0.5) it is hit only in its target area and draws
  // nothing; shown, the whole image is drawn and hit.
  bool Draw(IGraphics* graphics) override;
  const IRect& GetTargetArea() const { return mTargetArea; }

private:
  IRect mTargetArea;
};
