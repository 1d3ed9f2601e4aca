#pragma once
// 8th-order Bessel low-pass (all poles, matched-z design) that the summed
// voices pass at the oversampled rate before every eighth output is kept.
#include "engine/DspPath.h"
#include "engine/Flush.h"

class OversamplingFilter
{
public:
  static constexpr int kOrder = 8;
  // Half the host rate, relative to the 8x oversampled rate.
  static constexpr double kDecimationCutoff = 0.0625;

  OversamplingFilter() noexcept;

  // Designs for a cutoff relative to the sample rate (0 to 0.5).
  void Design(double relativeCutoff) noexcept;
  void Reset() noexcept;

  // One step by the arithmetic DspTechniques() selects.
  inline double Step(double x) noexcept { return (DspTechniques() & kFastDecimator) ? StepFast(x) : StepExact(x); }
  // The sum in order: input, then the outputs from newest to oldest.
  inline double StepExact(double x) noexcept;
  // The same sum with the newest output added last, so a step waits on the
  // previous one for one multiply and one add only; agrees to rounding.
  inline double StepFast(double x) noexcept;

  // True while the whole history is zero: the output stays exactly 0 for as
  // long as the input does, so a caller may skip the steps.
  bool IsSilent() const noexcept
  {
    for (double y : mHistory)
      if (y != 0.0)
        return false;
    return true;
  }

  // True when every value of the history is below `level` in magnitude.
  bool IsBelow(double level) const noexcept
  {
    for (double y : mHistory)
      if (!(y < level && y > -level))
        return false;
    return true;
  }

  double Gain() const noexcept { return mGain; }
  // a1 to a8, the weights of the eight previous outputs.
  double Feedback(int k) const noexcept { return k >= 1 && k <= kOrder ? mFeedback[k - 1] : 0.0; }

private:
  // Spelt out: as a loop the compiler calls memmove for the 64 bytes, which
  // costs more than the filter's arithmetic.
  void ShiftHistory() noexcept
  {
    double* h = mHistory;
    h[8] = h[7];
    h[7] = h[6];
    h[6] = h[5];
    h[5] = h[4];
    h[4] = h[3];
    h[3] = h[2];
    h[2] = h[1];
    h[1] = h[0];
  }
  static_assert(kOrder == 8, "ShiftHistory() moves eight values");

  double mGain = 0.0;
  double mFeedback[kOrder] = {};
  // mHistory[0] is the newest output y[n], mHistory[k] is y[n - k].
  double mHistory[kOrder + 1] = {};
};

inline double OversamplingFilter::StepExact(double x) noexcept
{
  ShiftHistory();
  double y = mGain * x;
  for (int k = 1; k <= kOrder; ++k)
    y += mFeedback[k - 1] * mHistory[k];
  // A non-finite value would stay in the history for good.
  y = FlushToZero(y);
  mHistory[0] = y;
  return y;
}

inline double OversamplingFilter::StepFast(double x) noexcept
{
  // The older outputs pair up into independent partial sums.
  const double* h = mHistory;
  const double a = mGain * x + mFeedback[1] * h[1];
  const double b = mFeedback[2] * h[2] + mFeedback[3] * h[3];
  const double c = mFeedback[4] * h[4] + mFeedback[5] * h[5];
  const double d = mFeedback[6] * h[6] + mFeedback[7] * h[7];
  const double older = (a + b) + (c + d);
  ShiftHistory();
  const double y = FlushToZero(older + mFeedback[0] * mHistory[1]);
  mHistory[0] = y;
  return y;
}
