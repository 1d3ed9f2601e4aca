#include "engine/StateVariableFilter.h"

StateVariableFilter::StateVariableFilter(int32_t mode) noexcept : mMode(mode) { RecomputeCoefficients(); }

void StateVariableFilter::RecomputeCoefficients() noexcept
{
  mK = 1.0 / mQ;
  if (mMode == kFilterHighPass) {
    mLowPassMix = 0.0;
    mBandPassMix = 0.0;
    mHighPassMix = 1.0;
  } else {
    mLowPassMix = 1.0;
    mBandPassMix = 0.0;
    mHighPassMix = 0.0;
  }
  UpdateG();
}
