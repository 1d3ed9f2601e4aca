#include "engine/OrbBitCrusher2.h"

OrbBitCrusher2::OrbBitCrusher2() noexcept
{
  SetBitDepth(mBitDepth);
  UpdateHoldLength();
}

OrbBitCrusher2::~OrbBitCrusher2() = default;

void OrbBitCrusher2::SetClockRate(double hz) noexcept
{
  mClockRate = hz;
  UpdateHoldLength();
}

void OrbBitCrusher2::SetTargetRate(double hz) noexcept
{
  mTargetRate = hz;
  UpdateHoldLength();
}

void OrbBitCrusher2::SetBitDepth(double bits) noexcept
{
  mBitDepth = bits;
  mLevels = std::pow(2.0, bits);
}

void OrbBitCrusher2::UpdateHoldLength() noexcept
{
  // Truncation toward zero; a target rate of 0 (infinite ratio) holds for as
  // long as a 64-bit count lasts, NaN renews every call.
  const double ratio = mClockRate / mTargetRate;
  if (!(ratio == ratio))
    mHoldLength = 0;
  else if (ratio >= 9223372036854775807.0)
    mHoldLength = INT64_MAX;
  else if (ratio <= -9223372036854775808.0)
    mHoldLength = INT64_MIN;
  else
    mHoldLength = static_cast<int64_t>(ratio);
}
