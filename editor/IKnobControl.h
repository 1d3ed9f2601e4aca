#pragma once
// Base of the knobs: dragging turns the value (one full range takes gearing
// times the control's height, or width, in pixels; ten times that with Ctrl
// or Shift held), and the wheel steps it by 1/100 (1/1000 fine).
#include "editor/IControl.h"

class IKnobControl : public IControl {
public:
  enum EDirection { kVertical = 0, kHorizontal = 1 };

  IKnobControl(IPlugBase* plug, const IRect& rect, int paramIdx, int direction = kVertical, double gearing = 4.0,
               const IBlend& blend = IBlend())
      : IControl(plug, rect, paramIdx, blend), mDirection(direction), mGearing(gearing)
  {
  }

  void OnMouseDrag(int x, int y, int dX, int dY, const IMouseMod& mod) override;
  void OnMouseWheel(int x, int y, const IMouseMod& mod, int notches) override;

  double GetGearing() const { return mGearing; }
  void SetGearing(double gearing) { mGearing = gearing; }

protected:
  int mDirection;
  double mGearing;
};
