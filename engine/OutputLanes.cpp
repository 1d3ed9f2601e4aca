#include "engine/OutputLanes.h"

#include "engine/DspPath.h"
#include "engine/OutputStage.h"
#include "engine/WideLanes.h"

// Clang (the fuzzing build) compiles no AVX2 code, as in VoiceLanes.cpp.
#if !defined(__clang__)
#pragma GCC push_options
#pragma GCC target("avx2")

#include "engine/LaneMath.h"

using namespace lanemath;

int OutputLanes::CurveWide(double* d, int count, double exponent) noexcept
{
  const V4 c = Splat(exponent);
  int i = 0;
  for (; i + kLanes <= count; i += kLanes) {
    // Unaligned moves: the Windows builds' stack is not aligned for more.
    const V4 x = reinterpret_cast<V4>(_mm256_loadu_pd(d + i));
    // Zeros stay zeros without a pow; 1 is a value of the polynomial's domain.
    const M4 zero = x == 0.0;
    const M4 positive = x > 0.0;
    const V4 t = zero ? Splat(1.0) : (positive ? x : -x);
    const V4 p = PowUnit(t, c);
    V4 y = positive ? p : -p;
    y = y < -2.0 ? Splat(-2.0) : (y > 2.0 ? Splat(2.0) : y);
    y = lanemath::Flush(y);
    y = zero ? Splat(0.0) : y;
    _mm256_storeu_pd(d + i, reinterpret_cast<__m256d>(y));
  }
  return i;
}

int OutputLanes::FlushWide(double* x, int count) noexcept
{
  int i = 0;
  for (; i + kLanes <= count; i += kLanes) {
    const V4 v = reinterpret_cast<V4>(_mm256_loadu_pd(x + i));
    _mm256_storeu_pd(x + i, reinterpret_cast<__m256d>(lanemath::Flush(v)));
  }
  return i;
}

#pragma GCC pop_options

#pragma GCC push_options
#pragma GCC target("avx2,avx512f,avx512dq")
#include "engine/LaneMath8.h"

using namespace lanemath8;

int OutputLanes::CurveEight(double* d, int count, double exponent) noexcept
{
  using L = Lanes8;
  const V8 c = Splat8(exponent);
  int i = 0;
  // CurveWide()'s steps, eight lanes at a time.
  for (; i + L::kCount <= count; i += L::kCount) {
    const V8 x = reinterpret_cast<V8>(_mm512_loadu_pd(d + i));
    const M8 zero = x == 0.0;
    const M8 positive = x > 0.0;
    const V8 t = zero ? Splat8(1.0) : (positive ? x : -x);
    const V8 p = lanemath8::PowUnitT<L>(t, c);
    V8 y = positive ? p : -p;
    y = y < -2.0 ? Splat8(-2.0) : (y > 2.0 ? Splat8(2.0) : y);
    y = lanemath8::Flush(y);
    y = zero ? Splat8(0.0) : y;
    _mm512_storeu_pd(d + i, reinterpret_cast<__m512d>(y));
  }
  return i;
}

int OutputLanes::FlushEight(double* x, int count) noexcept
{
  int i = 0;
  for (; i + Lanes8::kCount <= count; i += Lanes8::kCount) {
    const V8 v = reinterpret_cast<V8>(_mm512_loadu_pd(x + i));
    _mm512_storeu_pd(x + i, reinterpret_cast<__m512d>(lanemath8::Flush(v)));
  }
  return i;
}

#pragma GCC pop_options

#else
int OutputLanes::FlushEight(double*, int) noexcept { return 0; }
int OutputLanes::CurveWide(double*, int, double) noexcept { return 0; }
int OutputLanes::CurveEight(double*, int, double) noexcept { return 0; }
int OutputLanes::FlushWide(double*, int) noexcept { return 0; }

#endif


bool OutputLanes::UsesWideLanes() noexcept { return WideLanesAvailable(); }

void OutputLanes::Curve(double* d, int count, double exponent) noexcept
{
  int i = 0;
  // The linear setting and the library's pow take the one-sample form.
  if (WideLanesAvailable() && exponent != 1.0 && (DspTechniques() & kFastPow))
    i = EightLanesAvailable() ? CurveEight(d, count, exponent) : 0;
  if (WideLanesAvailable() && exponent != 1.0 && (DspTechniques() & kFastPow))
    i += CurveWide(d + i, count - i, exponent);
  for (; i < count; ++i)
    d[i] = d[i] == 0.0 ? 0.0 : CompressionCurve(d[i], exponent);
}

void OutputLanes::Flush(double* x, int count) noexcept
{
  int i = EightLanesAvailable() ? FlushEight(x, count) : 0;
  i += WideLanesAvailable() ? FlushWide(x + i, count - i) : 0;
  for (; i < count; ++i)
    x[i] = FlushToZero(x[i]);
}
