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
  return MapInPlaceT<Lanes4>(d, count, [c](V4 x) __attribute__((always_inline)) { return CompressionCurveT<Lanes4>(x, c); });
}

int OutputLanes::FlushWide(double* x, int count) noexcept
{
  return MapInPlaceT<Lanes4>(x, count, [](V4 v) __attribute__((always_inline)) { return FlushT<Lanes4>(v); });
}

#pragma GCC pop_options

#pragma GCC push_options
#pragma GCC target("avx2,avx512f,avx512dq")
#include "engine/LaneMath8.h"

using namespace lanemath8;

int OutputLanes::CurveEight(double* d, int count, double exponent) noexcept
{
  const V8 c = Splat8(exponent);
  return lanemath8::MapInPlaceT<Lanes8>(
      d, count, [c](V8 x) __attribute__((always_inline)) { return lanemath8::CompressionCurveT<Lanes8>(x, c); });
}

int OutputLanes::FlushEight(double* x, int count) noexcept
{
  return lanemath8::MapInPlaceT<Lanes8>(x, count, [](V8 v) __attribute__((always_inline)) { return lanemath8::FlushT<Lanes8>(v); });
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
  if (WideLanesAvailable() && exponent != 1.0 && (DspTechniques() & kFastPow)) {
    i = EightLanesAvailable() ? CurveEight(d, count, exponent) : 0;
    i += CurveWide(d + i, count - i, exponent);
  }
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
