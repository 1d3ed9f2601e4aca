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
#include "engine/SawTable.h"
#include "engine/StateVariableFilter.h"

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
// A vector's bits as another type of the same size, at any width.
template <typename To, typename From>
[[gnu::always_inline]] inline To BitCast(From x)
{
  static_assert(sizeof(To) == sizeof(From), "a vector of another width");
  To y;
  std::memcpy(&y, &x, sizeof y);
  return y;
}
[[gnu::always_inline]] inline U4 Bits(V4 x) { return BitCast<U4>(x); }
[[gnu::always_inline]] inline V4 FromBits(U4 b) { return BitCast<V4>(b); }

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

// The operations the templates below need from a vector of lanes, here four
// lanes wide (LaneMath8.h has the eight-lane form). The templates take the
// same steps whatever the width, so each lane gives the same bits.
struct Lanes4 {
  using V = V4;
  using M = M4;
  using U = U4;
  static constexpr int kCount = kLanes;
  [[gnu::always_inline]] static V Splat(double x) { return lanemath::Splat(x); }
  [[gnu::always_inline]] static bool Any(M m) { return lanemath::Any(m); }
  [[gnu::always_inline]] static U Bits(V x) { return lanemath::Bits(x); }
  [[gnu::always_inline]] static V FromBits(U b) { return lanemath::FromBits(b); }
  [[gnu::always_inline]] static V Gather(const double* table, U j) { return lanemath::Gather(table, j); }
  // t > 1 ? 1 : (t < -1 ? -1 : t), not a number and -0 included: max and min
  // give their second operand where either is not a number.
  [[gnu::always_inline]] static V ClampUnit(V t)
  {
    const __m256d m = _mm256_max_pd(_mm256_set1_pd(-1.0), reinterpret_cast<__m256d>(t));
    return reinterpret_cast<V>(_mm256_min_pd(_mm256_set1_pd(1.0), m));
  }
  // Unaligned moves: neither the callers' buffers nor, in the Windows
  // builds, the stack are aligned for more.
  [[gnu::always_inline]] static V Load(const double* p) { return reinterpret_cast<V>(_mm256_loadu_pd(p)); }
  [[gnu::always_inline]] static void Store(double* p, V x) { _mm256_storeu_pd(p, reinterpret_cast<__m256d>(x)); }
  // table[j] and table[j + 1] for j = x truncated (x in [0, size - 1]), at
  // most size - 2, and x - j.
  [[gnu::always_inline]] static void Neighbours(const double* table, int size, V x, V& lo, V& hi, V& w)
  {
    __m128i j = _mm256_cvttpd_epi32(reinterpret_cast<__m256d>(x));
    j = _mm_min_epi32(j, _mm_set1_epi32(size - 2));
    lo = lanemath::Gather(table, j);
    hi = lanemath::Gather(table + 1, j);
    w = x - reinterpret_cast<V>(_mm256_cvtepi32_pd(j));
  }
};

// The templates, four lanes wide.
#include "engine/LaneTemplates.h"

[[gnu::always_inline]] inline V4 Round(V4 x, U4& low) { return RoundT<Lanes4>(x, low); }
[[gnu::always_inline]] inline V4 SinCycles(V4 phase) { return SinCyclesT<Lanes4>(phase); }
[[gnu::always_inline]] inline V4 Clip(V4 t) { return ClipT<Lanes4>(t); }
[[gnu::always_inline]] inline V4 ClippedTanCycles(V4 phase) { return ClippedTanCyclesT<Lanes4>(phase); }
[[gnu::always_inline]] inline V4 PowUnit(V4 t, V4 c) { return PowUnitT<Lanes4>(t, c); }
[[gnu::always_inline]] inline V4 Flush(V4 v) { return FlushT<Lanes4>(v); }
}  // namespace lanemath
