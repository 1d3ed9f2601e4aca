#include "engine/PeakMeter.h"

PeakMeter::~PeakMeter() = default;

void PeakMeter::EndBlock() noexcept
{
  Follow(mDisplayedLeft, mPeakLeft);
  Follow(mDisplayedRight, mPeakRight);
}
