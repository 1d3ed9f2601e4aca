#pragma once
// The per-output-sample stages after decimation: the compression curve and
// the smoothed output gain, plus the dB conversion the parameters use.
#include <cmath>

#include "engine/DspPath.h"
#include "engine/FastMath.h"
#include "engine/Flush.h"

// 10^(dB / 20).
inline double DbToGain(double db) noexcept { return std::exp(db * 0.1151292546497); }

// Exponent of the compression curve for "Compression Factor" 0 to 1: 1 is
// linear, 0.2 the strongest.
inline double CompressionExponent(double factor) noexcept { return 1.0 / (4.0 * factor + 1.0); }

// Sign-preserving power curve that lifts quiet parts toward full scale,
// limited to +-2 and flushed.
inline double CompressionCurve(double d, double exponent) noexcept
{
  // pow(x, 1) is x exactly: the linear setting needs no pow. The fast power
  // (kFastPow) errs relative to the result, so it keeps its bound even where
  // the curve is steep near zero.
  double c;
  if (exponent == 1.0)
    c = d;
  else if (DspTechniques() & kFastPow)
    c = d > 0.0 ? fastmath::PowUnit(d, exponent) : -fastmath::PowUnit(-d, exponent);
  else
    c = d > 0.0 ? std::pow(d, exponent) : -std::pow(-d, exponent);
  c = c < -2.0 ? -2.0 : (c > 2.0 ? 2.0 : c);
  return FlushToZero(c);
}

// Output gain that follows its target with a one-pole smoother per output
// sample, starting from silence: 63 % of a step after 100 samples.
class SmoothedGain
{
public:
  static constexpr double kPreviousWeight = 0.99;
  static constexpr double kTargetWeight = 0.01;

  void SetTarget(double gain) noexcept { mTarget = gain; }
  // "Output Gain" in dB; below -96 dB it is silence.
  void SetTargetDb(double db) noexcept { mTarget = db < -96.0 ? 0.0 : DbToGain(db); }

  // Advances one output sample and returns c times the smoothed gain.
  double Apply(double c) noexcept
  {
    mSmoothed = mTarget * kTargetWeight + mSmoothed * kPreviousWeight;
    return mSmoothed * c;
  }

  // Apply() over `n` values in place. Once a step leaves the smoothed gain
  // where it was, every later step does too, so the rest only multiply.
  void ApplyRun(double* c, int n) noexcept
  {
    int i = 0;
    while (i < n) {
      const double before = mSmoothed;
      c[i] = Apply(c[i]);
      ++i;
      if (mSmoothed == before)
        break;
    }
    for (; i < n; ++i)
      c[i] = mSmoothed * c[i];
  }

  double Target() const noexcept { return mTarget; }
  double Smoothed() const noexcept { return mSmoothed; }

private:
  double mTarget = 1.0;
  double mSmoothed = 0.0;
};
