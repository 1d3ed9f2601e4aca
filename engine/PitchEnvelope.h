#pragma once
// Sweeps a voice's pitch between the played note and two fixed notes over a
// fixed time after note-on. The position runs from "start" to "end" along
// t^curve; positive positions blend toward the high note, negative ones
// toward the low note, linearly in hertz.
#include <cmath>
#include <cstdint>

#include "engine/FastMath.h"
#include "engine/FastPow.h"

// t^curve near t0 = n0 / total as a polynomial in the samples j since n0:
// (n0 + j)^c = n0^c (1 + j / n0)^c = n0^c sum_k binom(c, k) (j / n0)^k.
// From kSeriesFrom samples on, n0 is the first sample of a span whose length
// grows with the sweep: a span is 1/512 of the power of two at or below its
// samples, so 8 samples from 4096 on, 16 from 8192, 32 from 16384 and so on,
// doubling with each octave of the counter (each length starts where the
// spans of the one before end). So j / n0 < 1/512 throughout and the terms
// past k = 6 weigh less than 1e-18 of the value for curves up to 8: seven
// terms give the power to rounding, and a long sweep renews its series
// seldom. One template for a double and for vectors of lanes, so all take
// the same steps and give the same bits.
namespace pitchseries {
constexpr uint64_t kSeriesFrom = 4096;
constexpr int kTerms = 7;
// A span is 2^-kSpanShift of the octave its samples lie in.
constexpr int kSpanShift = 9;
constexpr double kSpanFraction = 1.0 / (1 << kSpanShift);

// The first sample of the span that sample n (at least kSeriesFrom) falls
// in: n with all but its ten leading bits cleared. As a double, n's sign,
// exponent and first nine fraction bits; as a whole number, the same bits.
constexpr uint64_t kSpanStartMask = ~((uint64_t{1} << (52 - kSpanShift)) - 1);
inline uint64_t SpanStart(uint64_t n) noexcept
{
  const int shift = 63 - __builtin_clzll(n) - kSpanShift;
  return n & ~((uint64_t{1} << shift) - 1);
}

// a[k] = b0 binom(c, k) / n0^k, where b0 is t0^c.
template <typename T>
[[gnu::always_inline]] inline void Coefficients(T b0, T n0, T c, T* a) noexcept
{
  constexpr double kInverse[kTerms] = {1.0, 1.0, 1.0 / 2.0, 1.0 / 3.0, 1.0 / 4.0, 1.0 / 5.0, 1.0 / 6.0};
  const T r = 1.0 / n0;
  T scale = b0;
  T binomial = c;
  a[0] = b0;
  for (int k = 1; k < kTerms; ++k) {
    if (k > 1) binomial = binomial * ((c - static_cast<double>(k - 1)) * kInverse[k]);
    scale = scale * r;
    a[k] = scale * binomial;
  }
}

// The polynomial at j samples past n0.
template <typename T>
[[gnu::always_inline]] inline T Value(const T* a, T j) noexcept
{
  T y = a[kTerms - 1];
#pragma GCC unroll 7
  for (int k = kTerms - 2; k >= 0; --k) y = y * j + a[k];
  return y;
}
}  // namespace pitchseries

class PitchEnvelope
{
public:
  PitchEnvelope() noexcept;
  virtual ~PitchEnvelope();

  void SetHighNote(int32_t note) noexcept
  {
    mHighNote = note;
    mHighFrequency = NoteToFrequency(note);
  }
  void SetLowNote(int32_t note) noexcept
  {
    mLowNote = note;
    mLowFrequency = NoteToFrequency(note);
  }
  void SetSampleRate(double sampleRate) noexcept { mSampleRate = sampleRate; }
  void SetDuration(double seconds) noexcept { mDuration = seconds; }
  void SetStart(double position) noexcept { mStart = position; }
  void SetEnd(double position) noexcept { mEnd = position; }
  void SetCurve(double exponent) noexcept
  {
    mCurve = exponent;
    mSeriesAt = -1.0;
  }

  // Note-on: the sweep's length is fixed here.
  void Start() noexcept;

  // Position for this sample, then advances one sample.
  inline double NextPosition() noexcept { return NextPositionT<false>(); }
  // kFast takes t^curve as 2^(curve log2 t) from the polynomial forms; from
  // kSeriesFrom samples on, once per span (8 samples at first, longer as the
  // sweep goes on), and in between from the series of pitchseries (the power
  // is the costliest step of a moving pitch; the series costs about a quarter
  // of it).
  template <bool kFast>
  inline double NextPositionT() noexcept;
  // Frequency of a source whose unswept frequency is `base`, at `position`.
  double Apply(double position, double base) const noexcept
  {
    if (position > 0.0)
      return (1.0 - position) * base + position * mHighFrequency;
    if (position < 0.0)
      return (1.0 + position) * base + (-position) * mLowFrequency;
    return base;
  }

  int32_t HighNote() const noexcept { return mHighNote; }
  int32_t LowNote() const noexcept { return mLowNote; }
  double HighFrequency() const noexcept { return mHighFrequency; }
  double LowFrequency() const noexcept { return mLowFrequency; }
  double Position() const noexcept { return mPosition; }
  uint64_t SampleCounter() const noexcept { return mSampleCounter; }
  uint64_t TotalSamples() const noexcept { return mTotalSamples; }
  double SampleRate() const noexcept { return mSampleRate; }
  double Duration() const noexcept { return mDuration; }
  double StartPosition() const noexcept { return mStart; }
  double EndPosition() const noexcept { return mEnd; }
  double Curve() const noexcept { return mCurve; }

private:
  // Runs four instances side by side and keeps their state in between.
  friend class VoiceLanes;

  int32_t mHighNote = 96;
  int32_t mLowNote = 12;
  double mHighFrequency;
  double mLowFrequency;
  double mPosition = 0.0;
  uint64_t mSampleCounter = 0;
  uint64_t mTotalSamples = 44100;
  double mInverseTotal = 1.0 / 44100.0;
  double mSampleRate = 44100.0;
  double mDuration = 1.0;
  double mStart = 0.0;
  double mEnd = 1.0;
  double mCurve = 1.0;
  // The series' anchor sample n0 (-1: none yet) and its coefficients.
  double mSeriesAt = -1.0;
  double mSeries[pitchseries::kTerms] = {};
};

template <bool kFast>
inline double PitchEnvelope::NextPositionT() noexcept
{
  // Two shortcuts that give the same values without the power function: with
  // start and end both 0 every blend is exactly 0, and past the end (or for a
  // sweep of no length, where t is 0/0) b = pow(1, curve) = 1 exactly.
  if (mStart == 0.0 && mEnd == 0.0) {
    ++mSampleCounter;
    mPosition = 0.0;
    return mPosition;
  }
  double b = 1.0;
  if (kFast) {
    // counter < total is t < 1; t from the reciprocal taken at note-on.
    if (mSampleCounter < mTotalSamples) {
      if (mSampleCounter < pitchseries::kSeriesFrom) {
        b = fastmath::PowUnit(static_cast<double>(mSampleCounter) * mInverseTotal, mCurve);
      } else {
        const double at = static_cast<double>(pitchseries::SpanStart(mSampleCounter));
        if (at != mSeriesAt) {
          mSeriesAt = at;
          pitchseries::Coefficients(fastmath::PowUnit(at * mInverseTotal, mCurve), at, mCurve, mSeries);
        }
        b = pitchseries::Value(mSeries, static_cast<double>(mSampleCounter) - at);
      }
    }
  } else {
    const double t = static_cast<double>(mSampleCounter) / static_cast<double>(mTotalSamples);
    if (t < 1.0)
      b = std::pow(t, mCurve);
  }
  ++mSampleCounter;
  mPosition = (1.0 - b) * mStart + b * mEnd;
  return mPosition;
}
