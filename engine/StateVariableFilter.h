#pragma once
// Resonant two-pole filter in the trapezoidal-integrator state-variable form.
// The voices move the cutoff every oversampled sample; the tangent is only
// taken again when the cutoff actually changed, which gives the same
// coefficients at a fraction of the cost while an envelope rests.
#include <cmath>
#include <cstdint>

#include "engine/FastMath.h"

enum EFilterMode : int32_t
{
  kFilterLowPass = 1,
  kFilterHighPass = 2
};

class StateVariableFilter
{
public:
  static constexpr double kDefaultQ = 0.70710678118654752440;

  explicit StateVariableFilter(int32_t mode = kFilterLowPass) noexcept;

  // g, k and h from cutoff, Q, sample rate and mode.
  void RecomputeCoefficients() noexcept;

  // Q, sample rate and mode take effect at once; the cutoff is a plain write
  // that the next RecomputeCoefficients() picks up.
  void SetQ(double q) noexcept
  {
    mQ = q;
    RecomputeCoefficients();
  }
  void SetSampleRate(double rate) noexcept
  {
    mSampleRate = rate;
    RecomputeCoefficients();
  }
  void SetMode(int32_t mode) noexcept
  {
    mMode = mode;
    RecomputeCoefficients();
  }
  void SetCutoff(double hz) noexcept { mCutoff = hz; }

  // The voice's per-sample cutoff: negative (and NaN) values become 0,
  // values above half the sample rate become half the sample rate; the
  // coefficients follow.
  inline void SetCutoffClamped(double hz) noexcept { SetCutoffClampedT<false>(hz); }
  // kFast takes the tangent from its rational form (FastMath.h).
  template <bool kFast>
  inline void SetCutoffClampedT(double hz) noexcept;

  void ClearState() noexcept { mState1 = mState2 = 0.0; }

  inline double Step(double x) noexcept;
  // The same filter with the products regrouped so that each state reaches
  // its next value through fewer dependent operations: agrees with Step() to
  // rounding. Falls back to Step() where the coefficients are not finite
  // (Q of 0) or the mode is neither plain low-pass nor plain high-pass.
  inline double StepFast(double x) noexcept;

  double Cutoff() const noexcept { return mCutoff; }
  double Q() const noexcept { return mQ; }
  double SampleRate() const noexcept { return mSampleRate; }
  int32_t Mode() const noexcept { return mMode; }
  double G() const noexcept { return mG; }
  double K() const noexcept { return mK; }
  double H() const noexcept { return mH; }
  double State1() const noexcept { return mState1; }
  double State2() const noexcept { return mState2; }

  // g = tan(x) and h = 1 / (g k + 1 + g^2) by the fast arithmetic: from
  // one division where x lies in [0, pi/2] and the sums stay finite, as
  // two divisions elsewhere.
  static void FastCoefficients(double x, double k, double& g, double& h) noexcept
  {
    if (x >= 0.0 && x <= fastmath::kHalfPiHi) {
      // g = a / b, h = b^2 / q.
      double a, b;
      fastmath::TanQuarterRatio(x, a, b);
      const double q = (a * k + b) * b + a * a;
      const double r = 1.0 / (b * q);
      g = a * q * r;
      h = b * b * b * r;
      if (std::isfinite(g) && std::isfinite(h))
        return;
      g = fastmath::TanQuarter(x);
    } else {
      g = std::tan(x);
    }
    h = 1.0 / (g * k + 1.0 + g * g);
  }

private:
  // Runs four instances side by side and keeps their state in between.
  friend class VoiceLanes;

  static constexpr double kPi = 3.14159265358979323846;

  template <bool kFast = false>
  void UpdateG() noexcept
  {
    // The fast form takes the angle as the cutoff times pi / rate, which the
    // vector lanes work out once per run (one division less per sample while
    // a cutoff moves); the exact form divides.
    const double x = kFast ? mCutoff * (kPi / mSampleRate) : kPi * mCutoff / mSampleRate;
    // The polynomial covers [0, pi/2], which the clamped cutoff keeps to.
    if (kFast) {
      FastCoefficients(x, mK, mG, mH);
    } else {
      mG = std::tan(x);
      mH = 1.0 / (mG * mK + 1.0 + mG * mG);
    }
    mCoefficientCutoff = mCutoff;
    mFastA = -(mK + mG) * mH;
    mFastG2 = 2.0 * mG;
    mFastC = mFastG2 * mG;
    mFastOk = std::isfinite(mFastA) && std::isfinite(mH) && std::isfinite(mFastC) && mBandPassMix == 0.0 &&
              ((mLowPassMix == 1.0 && mHighPassMix == 0.0) || (mLowPassMix == 0.0 && mHighPassMix == 1.0));
  }

  double mState1 = 0.0;
  double mState2 = 0.0;
  double mG = 0.0;
  double mK = 0.0;
  double mH = 0.0;
  double mLowPassMix = 1.0;
  double mBandPassMix = 0.0;
  double mHighPassMix = 0.0;
  double mSampleRate = 44100.0;
  double mCutoff = 1000.0;
  double mQ = kDefaultQ;
  int32_t mMode = kFilterLowPass;
  // The cutoff g and h were computed from.
  double mCoefficientCutoff = 0.0;
  // StepFast()'s coefficients: -(k + g) h, 2 g, 2 g^2.
  double mFastA = 0.0;
  double mFastG2 = 0.0;
  double mFastC = 0.0;
  bool mFastOk = false;
};

template <bool kFast>
inline void StateVariableFilter::SetCutoffClampedT(double hz) noexcept
{
  const double half = mSampleRate * 0.5;
  mCutoff = hz > 0.0 ? (hz < half ? hz : half) : 0.0;
  if (mCutoff != mCoefficientCutoff)
    UpdateG<kFast>();
}

inline double StateVariableFilter::Step(double x) noexcept
{
  const double g = mG;
  const double hp = (x - mK * mState1 - g * mState1 - mState2) * mH;
  const double bp = g * hp + mState1;
  mState1 = g * hp + bp;
  const double lp = g * bp + mState2;
  mState2 = g * bp + lp;
  return mLowPassMix * lp + mBandPassMix * bp + mHighPassMix * hp;
}

inline double StateVariableFilter::StepFast(double x) noexcept
{
  if (!mFastOk)
    return Step(x);
  const double s1 = mState1;
  const double s2 = mState2;
  const double hp = mH * x + (mFastA * s1 - mH * s2);
  const double bp = mG * hp + s1;
  mState1 = mFastG2 * hp + s1;
  // g bp + lp with lp = g bp + s2, and bp = g hp + s1: the new state needs
  // hp only once.
  mState2 = (mFastG2 * s1 + s2) + mFastC * hp;
  if (mHighPassMix == 1.0)
    return hp;
  return mG * bp + s2;
}
