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

void OrbBitCrusher2::Skip(int64_t n) noexcept
{
  // The count runs down to 0, the next call reloads it with the hold length
  // (a negative one reloads on every call).
  if (n <= 0) return;
  const int64_t countdown = mHoldCounter > 0 ? mHoldCounter : 0;
  if (n <= countdown) {
    mHoldCounter -= n;
    return;
  }
  n -= countdown + 1;
  mHeldValue = std::floor(mLevels * 0.0 + 0.5) / mLevels;
  if (mHoldLength < 0)
    mHoldCounter = mHoldLength;
  else if (n <= mHoldLength)
    mHoldCounter = mHoldLength - n;
  else
    mHoldCounter = mHoldLength - n % (mHoldLength + 1);
}

void OrbBitCrusher2::ReadPattern(int n, int& first, int& every) const noexcept
{
  // A call reads where the count has run down to 0 (or below), then reloads
  // it with the hold length: the next read comes hold length + 1 calls on,
  // or on the next call where that length is 0 or less.
  const int64_t limit = n < 0 ? 0 : n;
  first = static_cast<int>(mHoldCounter <= 0 ? 0 : (mHoldCounter < limit ? mHoldCounter : limit));
  every = static_cast<int>(mHoldLength <= 0 ? 1 : (mHoldLength < limit ? mHoldLength + 1 : limit + 1));
}
