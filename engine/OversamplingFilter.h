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

  // Eight steps at once (kDecimatorBlocks): the eight outputs are worked out
  // from the previous eight and the inputs x[0] to x[7] by the block weights
  // of Design(), side by side, instead of each waiting on the one before.
  // Returns the output of x[0] and leaves the history as eight steps do; the
  // values agree with them to rounding. Where the flush would zero one of
  // the eight, the later ones have to see that zero, so the block falls back
  // to eight single steps (only near silence: the flush point is 2^-54).
  // Takes the AVX2 form where the processor has it, else
  // StepEightPortable(); the two give the same bits.
  double StepEight(const double* x) noexcept;
  double StepEightPortable(const double* x) noexcept;
  // StepEight() for `frames` blocks of eight inputs, x[8 f] to x[8 f + 7];
  // out[f] is the output of x[8 f]. The same bits as that many calls; the
  // AVX2 form keeps the history in registers from block to block.
  void StepEightRun(const double* x, int frames, double* out) noexcept;
  // True where StepEight() takes the AVX2 form.
  static bool UsesWideBlocks() noexcept;

  // y[n - k] for k = 0 to 8: the outputs the next step reads.
  double Output(int k) const noexcept { return k >= 0 && k <= kOrder ? mHistory[k] : 0.0; }

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
  double StepEightWide(const double* x) noexcept;
  void StepEightRunWide(const double* x, int frames, double* out) noexcept;
  double StepEachOfEight(const double* x) noexcept;

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
  // The block weights, laid out for vectors over the eight new outputs in
  // history order (m = 0 for y[n + 7], m = 7 for y[n]):
  // mBlockHistory[k][m] weighs the present mHistory[k] and mBlockInput[i][m]
  // the input x[i] (zero where the output comes before the input).
  double mBlockHistory[kOrder][kOrder] = {};
  double mBlockInput[kOrder][kOrder] = {};
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
