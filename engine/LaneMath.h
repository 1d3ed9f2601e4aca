#pragma once
// The fast arithmetic of FastMath.h four lanes at a time, step for step, so
// each lane gives the bits the scalar form gives. AVX2 only: include it
// inside a region compiled for AVX2 (VoiceLanes.cpp), never where the plain
// build runs.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

#include <immintrin.h>

#include "engine/FastMath.h"
#include "engine/Flush.h"

namespace lanemath {
typedef double V4 __attribute__((vector_size(32)));
typedef long long M4 __attribute__((vector_size(32)));
typedef unsigned long long U4 __attribute__((vector_size(32)));
typedef float F4 __attribute__((vector_size(16)));

constexpr int kLanes = 4;

[[gnu::always_inline]] inline V4 Splat(double x) { return V4{x, x, x, x}; }
[[gnu::always_inline]] inline bool Any(M4 m) { return __builtin_ia32_movmskpd256(reinterpret_cast<V4>(m)) != 0; }
[[gnu::always_inline]] inline V4 Abs(V4 x)
{
  U4 bits;
  std::memcpy(&bits, &x, sizeof bits);
  bits &= 0x7FFFFFFFFFFFFFFFull;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}
[[gnu::always_inline]] inline U4 Bits(V4 x)
{
  U4 b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}
[[gnu::always_inline]] inline V4 FromBits(U4 b)
{
  V4 x;
  std::memcpy(&x, &b, sizeof x);
  return x;
}
// Small non-negative integers (below 2^52) as doubles, exactly.
[[gnu::always_inline]] inline V4 Exact(U4 n) { return FromBits(n | 0x4330000000000000ull) - 4503599627370496.0; }

// table[j] for the four indices (the masked forms: the plain ones leave a
// register formally uninitialised).
[[gnu::always_inline]] inline V4 Gather(const double* table, __m128i j)
{
  const __m256d all = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
  return reinterpret_cast<V4>(_mm256_mask_i32gather_pd(_mm256_setzero_pd(), table, j, all, 8));
}
[[gnu::always_inline]] inline V4 Gather(const double* table, U4 j)
{
  const __m256d all = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
  return reinterpret_cast<V4>(_mm256_mask_i64gather_pd(_mm256_setzero_pd(), table, reinterpret_cast<__m256i>(j), all, 8));
}

[[gnu::always_inline]] inline V4 Flush(V4 v)
{
  const V4 a = Abs(v);
  return (a < kFlushThreshold) | ~(a <= DBL_MAX) ? Splat(0.0) : v;
}

// fastmath::TanQuarterRatio: tan(x) = a / b.
[[gnu::always_inline]] inline void TanQuarterRatio(V4 x, V4& a, V4& b)
{
  const M4 near = x <= 0.78539816339744830962;
  const V4 r = (fastmath::kHalfPiHi - x) + fastmath::kHalfPiLo;
  V4 num, den;
  fastmath::TanRatio(near ? x : r, num, den);
  a = near ? num : den;
  b = near ? den : num;
}

// The integer nearest x (|x| < 2^51) as fastmath::RoundToInt forms it, and
// its low bits, which the sum of the shift holds.
[[gnu::always_inline]] inline V4 Round(V4 x, U4& low)
{
  constexpr double kShift = 6755399441055744.0;
  const V4 shifted = x + kShift;
  low = Bits(shifted);
  return shifted - kShift;
}

// fastmath::SinCycles.
[[gnu::always_inline]] inline V4 SinCycles(V4 phase)
{
  U4 low;
  const V4 q = Round(phase * 4.0, low);
  const V4 y = phase - q * 0.25;
  const V4 x = fastmath::kTwoPi * y;
  const V4 z = x * x;
  const V4 c = (((((-1.13585365213876817300e-11 * z + 2.08757008419747316778e-9) * z - 2.75573141792967388112e-7) * z +
                  2.48015872888517045348e-5) * z - 1.38888888888730564116e-3) * z + 4.16666666666665929218e-2);
  const V4 cosine = 1.0 - 0.5 * z + z * z * c;
  const V4 s = (((((1.58962301576546568060e-10 * z - 2.50507477628578072866e-8) * z + 2.75573136213857245213e-6) * z -
                  1.98412698295895385996e-4) * z + 8.33333333332211858878e-3) * z - 1.66666666666666307295e-1);
  const V4 sine = x + x * z * s;
  const M4 odd = (low & 1) != 0;
  const M4 negative = (low & 2) != 0;
  const V4 v = odd ? cosine : sine;
  return negative ? -v : v;
}

[[gnu::always_inline]] inline V4 Clip(V4 t) { return t > 1.0 ? Splat(1.0) : (t < -1.0 ? Splat(-1.0) : t); }

// fastmath::ClippedTanCycles.
[[gnu::always_inline]] inline V4 ClippedTanCycles(V4 phase)
{
  U4 low;
  const V4 r = phase - Round(phase, low);
  const V4 a = Abs(r);
  V4 num, den;
  fastmath::TanRatio(fastmath::kPi * r, num, den);
  V4 t = Clip(num / den);
  t = a <= 0.25 ? t : (r > 0.0 ? Splat(1.0) : Splat(-1.0));
  const M4 edge = ~(a < 0.5) & ~(a <= 0.25);
  if (Any(edge))
    for (int l = 0; l < kLanes; ++l)
      if (edge[l]) {
        const double e = std::tan(fastmath::kPi * phase[l]);
        t[l] = e > 1.0 ? 1.0 : (e < -1.0 ? -1.0 : e);
      }
  return t;
}

// fastmath::PowUnit; lanes outside the polynomial's domain take std::pow.
[[gnu::always_inline]] inline V4 PowUnit(V4 t, V4 c)
{
  const M4 normal = (t >= 2.2250738585072014e-308) & (t <= 1.7976931348623157e308);
  const V4 safeT = normal ? t : Splat(0.5);
  // Log2
  U4 bits = Bits(safeT);
  const U4 j = (bits >> 47) & 31;
  const U4 expo = (bits >> 52) & 0x7FF;
  const V4 m = FromBits((bits & 0x000FFFFFFFFFFFFFull) | 0x3FF0000000000000ull);
  const V4 e = Exact(expo) - 1023.0;
  const V4 table = Gather(fastmath::kLog2Table, j);
  const V4 jd = Exact(j);
  const V4 centre = 1.0 + (jd + 0.5) * (1.0 / 32.0);
  const V4 s = (m - centre) / (m + centre);
  const V4 s2 = s * s;
  constexpr double kTwoOverLn2 = 2.8853900817779268;
  const V4 series = s * kTwoOverLn2 + (s * s2) * (kTwoOverLn2 / 3.0 + s2 * (kTwoOverLn2 / 5.0 + s2 * (kTwoOverLn2 / 7.0)));
  const V4 y = c * ((e + table) + series);
  const M4 inRange = (y > -1000.0) & (y < 1000.0);
  const V4 safeY = inRange ? y : Splat(0.0);
  // Exp2
  U4 low;
  const V4 nk = Round(safeY * 32.0, low);
  const V4 f = (safeY - nk * (1.0 / 32.0)) * 0.69314718055994530942;
  const V4 f2 = f * f;
  const V4 p = (1.0 + f) + f2 * ((0.5 + f * (1.0 / 6.0)) + f2 * ((1.0 / 24.0 + f * (1.0 / 120.0)) + f2 * (1.0 / 720.0)));
  // low holds nk modulo 2^51; nk + 1023 * 32 is positive for y > -1000, so
  // a logical shift gives floor(nk / 32) + 1023.
  const U4 biased = (low + 1023u * 32u) & 0x7FFFFFFFFFFFFull;
  const V4 scale = FromBits((biased >> 5) << 52);
  const V4 t2 = Gather(fastmath::kExp2Table, biased & 31);
  V4 result = (t2 * p) * scale;
  const M4 library = ~(normal & inRange);
  if (Any(library))
    for (int l = 0; l < kLanes; ++l)
      if (library[l]) result[l] = std::pow(t[l], c[l]);
  return result;
}
}  // namespace lanemath
