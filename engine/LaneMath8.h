#pragma once
// The lane templates of LaneMath.h eight lanes wide, for AVX-512. Include it
// inside a region compiled for AVX-512 (avx512f and avx512dq), after any
// AVX2 region that includes LaneMath.h, never where a processor without it
// runs.
#include "engine/LaneMath.h"

namespace lanemath8 {
using lanemath::V4;
typedef double V8 __attribute__((vector_size(64)));
typedef long long M8 __attribute__((vector_size(64)));
typedef unsigned long long U8 __attribute__((vector_size(64)));

struct Lanes8 {
  using V = V8;
  using M = M8;
  using U = U8;
  static constexpr int kCount = 8;
  [[gnu::always_inline]] static V Splat(double x) { return V{x, x, x, x, x, x, x, x}; }
  [[gnu::always_inline]] static bool Any(M m)
  {
    return _mm512_test_epi64_mask(reinterpret_cast<__m512i>(m), reinterpret_cast<__m512i>(m)) != 0;
  }
  [[gnu::always_inline]] static U Bits(V x) { return lanemath::BitCast<U>(x); }
  [[gnu::always_inline]] static V FromBits(U b) { return lanemath::BitCast<V>(b); }
  [[gnu::always_inline]] static V Gather(const double* table, U j)
  {
    // The masked form: the plain one leaves a register formally uninitialised.
    return reinterpret_cast<V>(_mm512_mask_i64gather_pd(_mm512_setzero_pd(), 0xFF, reinterpret_cast<__m512i>(j), table, 8));
  }
  // As Lanes4::ClampUnit(); the zero-masked forms, as in Gather().
  [[gnu::always_inline]] static V ClampUnit(V t)
  {
    const __m512d m = _mm512_maskz_max_pd(0xFF, _mm512_set1_pd(-1.0), reinterpret_cast<__m512d>(t));
    return reinterpret_cast<V>(_mm512_maskz_min_pd(0xFF, _mm512_set1_pd(1.0), m));
  }
  [[gnu::always_inline]] static V Load(const double* p) { return reinterpret_cast<V>(_mm512_loadu_pd(p)); }
  [[gnu::always_inline]] static void Store(double* p, V x) { _mm512_storeu_pd(p, reinterpret_cast<__m512d>(x)); }
  [[gnu::always_inline]] static void Neighbours(const double* table, int size, V x, V& lo, V& hi, V& w)
  {
    // The zero-masked forms throughout: the plain ones leave a register
    // formally uninitialised.
    __m256i j = _mm512_maskz_cvttpd_epi32(0xFF, reinterpret_cast<__m512d>(x));
    j = _mm256_min_epi32(j, _mm256_set1_epi32(size - 2));
    const __m512d none = _mm512_setzero_pd();
    lo = reinterpret_cast<V>(_mm512_mask_i32gather_pd(none, 0xFF, j, table, 8));
    hi = reinterpret_cast<V>(_mm512_mask_i32gather_pd(none, 0xFF, j, table + 1, 8));
    w = x - reinterpret_cast<V>(_mm512_maskz_cvtepi32_pd(0xFF, j));
  }
};

// The templates, eight lanes wide.
#include "engine/LaneTemplates.h"

[[gnu::always_inline]] inline V8 Splat8(double x) { return Lanes8::Splat(x); }

// Two vectors of four as one of eight (a in lanes 0 to 3) and back.
[[gnu::always_inline]] inline V8 Join(V4 a, V4 b) { return __builtin_shufflevector(a, b, 0, 1, 2, 3, 4, 5, 6, 7); }
[[gnu::always_inline]] inline V4 Low(V8 x) { return __builtin_shufflevector(x, x, 0, 1, 2, 3); }
[[gnu::always_inline]] inline V4 High(V8 x) { return __builtin_shufflevector(x, x, 4, 5, 6, 7); }

[[gnu::always_inline]] inline V8 Flush(V8 v) { return FlushT<Lanes8>(v); }
}  // namespace lanemath8
