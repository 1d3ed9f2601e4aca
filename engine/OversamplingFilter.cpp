#include "engine/OversamplingFilter.h"

#include <cfloat>
#include <cmath>
#include <complex>

#include "engine/WideLanes.h"

namespace {
// Poles of the 8th-order Bessel low-pass normalised to -3 dB at 1 rad/s, one
// of each conjugate pair.
constexpr double kPoleRe[4] = {-1.7574084004017807, -1.636939418126819, -1.3738412176373478, -0.8928697188471307};
constexpr double kPoleIm[4] = {0.272867575102548, 0.8227956251396226, 1.3883565758775174, 1.9983258436412903};
}  // namespace

OversamplingFilter::OversamplingFilter() noexcept { Design(kDecimationCutoff); }

void OversamplingFilter::Design(double relativeCutoff) noexcept
{
  using Complex = std::complex<double>;
  const double w = 2.0 * 3.14159265358979323846 * relativeCutoff;

  // Matched z: each s-plane pole p becomes exp(p w); then the denominator
  // polynomial is expanded one root at a time, coefficient [i] of x^i.
  Complex poly[kOrder + 1] = {Complex(1.0, 0.0)};
  int degree = 0;
  for (int pair = 0; pair < 4; ++pair) {
    for (int sign = 1; sign >= -1; sign -= 2) {
      const double magnitude = std::exp(kPoleRe[pair] * w);
      const double angle = sign * kPoleIm[pair] * w;
      const Complex z(magnitude * std::cos(angle), magnitude * std::sin(angle));
      ++degree;
      for (int i = degree; i > 0; --i)
        poly[i] = poly[i - 1] - z * poly[i];
      poly[0] = -z * poly[0];
    }
  }

  Complex sum(0.0, 0.0);
  for (int i = 0; i <= kOrder; ++i)
    sum += poly[i];
  mGain = std::abs(sum);
  for (int k = 1; k <= kOrder; ++k)
    mFeedback[k - 1] = -poly[kOrder - k].real() / poly[kOrder].real();

  // The block weights: the recursion stepped eight times in long double from
  // one unit value, in the history or in the input, the rest zero. y[0] to
  // y[7] is the history from the oldest to the newest, y[8 + j] the output
  // of x[j].
  for (int unit = 0; unit < 2 * kOrder; ++unit) {
    long double y[2 * kOrder] = {};
    if (unit < kOrder)
      y[kOrder - 1 - unit] = 1.0L;
    for (int j = 0; j < kOrder; ++j) {
      long double sum = unit - kOrder == j ? static_cast<long double>(mGain) : 0.0L;
      for (int k = 1; k <= kOrder; ++k)
        sum += static_cast<long double>(mFeedback[k - 1]) * y[kOrder + j - k];
      y[kOrder + j] = sum;
    }
    double* weights = unit < kOrder ? mBlockHistory[unit] : mBlockInput[unit - kOrder];
    for (int j = 0; j < kOrder; ++j)
      weights[kOrder - 1 - j] = static_cast<double>(y[kOrder + j]);
  }
  Reset();
}

void OversamplingFilter::Reset() noexcept
{
  for (double& y : mHistory)
    y = 0.0;
}

// The history's sum for one output m, then the inputs' (only x[0] to x[3]
// reach the older four outputs), each in pairs as a tree; StepEightWide()
// takes the same steps four outputs at a time.
double OversamplingFilter::StepEightPortable(const double* x) noexcept
{
  double* h = mHistory;
  const double(*c)[kOrder] = mBlockHistory;
  const double(*d)[kOrder] = mBlockInput;
  double y[kOrder];
  bool flushed = false;
  for (int m = 0; m < kOrder; ++m) {
    const double older = ((c[0][m] * h[0] + c[1][m] * h[1]) + (c[2][m] * h[2] + c[3][m] * h[3])) +
                         ((c[4][m] * h[4] + c[5][m] * h[5]) + (c[6][m] * h[6] + c[7][m] * h[7]));
    const double early = (d[0][m] * x[0] + d[1][m] * x[1]) + (d[2][m] * x[2] + d[3][m] * x[3]);
    const double input =
        m < 4 ? early + ((d[4][m] * x[4] + d[5][m] * x[5]) + (d[6][m] * x[6] + d[7][m] * x[7])) : early;
    const double sum = older + input;
    y[m] = FlushToZero(sum);
    flushed = flushed || (sum != 0.0 && y[m] == 0.0);
  }
  if (flushed)
    return StepEachOfEight(x);
  h[kOrder] = h[0];
  for (int m = 0; m < kOrder; ++m)
    h[m] = y[m];
  return h[kOrder - 1];
}

double OversamplingFilter::StepEachOfEight(const double* x) noexcept
{
  const double first = Step(x[0]);
  for (int j = 1; j < kOrder; ++j)
    Step(x[j]);
  return first;
}

// Clang (the fuzzing build) compiles no AVX2 code, as in VoiceLanes.cpp.
#if !defined(__clang__)
#pragma GCC push_options
#pragma GCC target("avx2")
#include <immintrin.h>

namespace {
// Unaligned loads and stores only: neither the filter's arrays nor, in the
// Windows builds, the stack are aligned for 32-byte moves.
[[gnu::always_inline]] inline __m256d Term(const double (*w)[OversamplingFilter::kOrder], int row, int half, double v)
{
  return _mm256_mul_pd(_mm256_loadu_pd(&w[row][half]), _mm256_set1_pd(v));
}

[[gnu::always_inline]] inline __m256d SumOfFour(const double (*w)[OversamplingFilter::kOrder], int from, int half,
                                                const double* v)
{
  return _mm256_add_pd(_mm256_add_pd(Term(w, from, half, v[from]), Term(w, from + 1, half, v[from + 1])),
                       _mm256_add_pd(Term(w, from + 2, half, v[from + 2]), Term(w, from + 3, half, v[from + 3])));
}

// The lanes FlushToZero leaves as they are.
[[gnu::always_inline]] inline __m256d Kept(__m256d v)
{
  const __m256d a = _mm256_andnot_pd(_mm256_set1_pd(-0.0), v);
  return _mm256_and_pd(_mm256_cmp_pd(a, _mm256_set1_pd(kFlushThreshold), _CMP_GE_OQ),
                       _mm256_cmp_pd(a, _mm256_set1_pd(DBL_MAX), _CMP_LE_OQ));
}

// The lanes it turns from something else into 0.
[[gnu::always_inline]] inline __m256d Flushed(__m256d v, __m256d kept)
{
  return _mm256_andnot_pd(kept, _mm256_cmp_pd(v, _mm256_setzero_pd(), _CMP_NEQ_UQ));
}

}  // namespace

double OversamplingFilter::StepEightWide(const double* x) noexcept
{
  double* h = mHistory;
  const double(*c)[kOrder] = mBlockHistory;
  const double(*d)[kOrder] = mBlockInput;
  // Outputs m = 0 to 3 (y[n + 7] to y[n + 4]), then m = 4 to 7.
  const __m256d last = _mm256_add_pd(_mm256_add_pd(SumOfFour(c, 0, 0, h), SumOfFour(c, 4, 0, h)),
                                     _mm256_add_pd(SumOfFour(d, 0, 0, x), SumOfFour(d, 4, 0, x)));
  const __m256d first =
      _mm256_add_pd(_mm256_add_pd(SumOfFour(c, 0, 4, h), SumOfFour(c, 4, 4, h)), SumOfFour(d, 0, 4, x));
  const __m256d lastKept = Kept(last), firstKept = Kept(first);
  if (_mm256_movemask_pd(_mm256_or_pd(Flushed(last, lastKept), Flushed(first, firstKept))) != 0)
    return StepEachOfEight(x);
  h[kOrder] = h[0];
  _mm256_storeu_pd(h, _mm256_and_pd(last, lastKept));
  _mm256_storeu_pd(h + 4, _mm256_and_pd(first, firstKept));
  return h[kOrder - 1];
}

namespace {
// Lane k of v in every lane: the history's values without a trip through
// memory.
template <int k>
[[gnu::always_inline]] inline __m256d Lane(__m256d v)
{
  return _mm256_permute4x64_pd(v, k * 0x55);
}

// The weights of one row times eight values held as two vectors, summed as
// SumOfFour() pairs them.
[[gnu::always_inline]] inline __m256d RowSum(const double (*w)[OversamplingFilter::kOrder], int half, __m256d lo, __m256d hi)
{
  auto term = [&](int row, __m256d v) { return _mm256_mul_pd(_mm256_loadu_pd(&w[row][half]), v); };
  const __m256d a = _mm256_add_pd(_mm256_add_pd(term(0, Lane<0>(lo)), term(1, Lane<1>(lo))),
                                  _mm256_add_pd(term(2, Lane<2>(lo)), term(3, Lane<3>(lo))));
  const __m256d b = _mm256_add_pd(_mm256_add_pd(term(4, Lane<0>(hi)), term(5, Lane<1>(hi))),
                                  _mm256_add_pd(term(6, Lane<2>(hi)), term(7, Lane<3>(hi))));
  return _mm256_add_pd(a, b);
}
}  // namespace

void OversamplingFilter::StepEightRunWide(const double* x, int frames, double* out) noexcept
{
  const double(*c)[kOrder] = mBlockHistory;
  const double(*d)[kOrder] = mBlockInput;
  // From block to block the history goes on as the sums leave it: the flush
  // would only turn -0 into +0 there (anything else it changes sends the
  // block to single steps), which changes no sum that is not itself zero.
  // What is stored and returned is flushed, adding +0 where nothing else is.
  const __m256d zero = _mm256_setzero_pd();
  __m256d newer = _mm256_loadu_pd(mHistory), older = _mm256_loadu_pd(mHistory + 4);
  double newest = mHistory[kOrder];
  for (int f = 0; f < frames; ++f, x += kOrder) {
    // StepEightWide()'s sums, term for term.
    const __m256d last = _mm256_add_pd(RowSum(c, 0, newer, older), _mm256_add_pd(SumOfFour(d, 0, 0, x), SumOfFour(d, 4, 0, x)));
    const __m256d first = _mm256_add_pd(RowSum(c, 4, newer, older), SumOfFour(d, 0, 4, x));
    const __m256d lastKept = Kept(last), firstKept = Kept(first);
    if (_mm256_movemask_pd(_mm256_or_pd(Flushed(last, lastKept), Flushed(first, firstKept))) != 0) {
      _mm256_storeu_pd(mHistory, _mm256_add_pd(newer, zero));
      _mm256_storeu_pd(mHistory + 4, _mm256_add_pd(older, zero));
      mHistory[kOrder] = newest;
      out[f] = StepEachOfEight(x);
      newer = _mm256_loadu_pd(mHistory);
      older = _mm256_loadu_pd(mHistory + 4);
      newest = mHistory[kOrder];
      continue;
    }
    newest = _mm256_cvtsd_f64(newer) + 0.0;
    newer = last;
    older = first;
    out[f] = _mm256_cvtsd_f64(_mm256_permute4x64_pd(first, 0xFF)) + 0.0;
  }
  _mm256_storeu_pd(mHistory, _mm256_add_pd(newer, zero));
  _mm256_storeu_pd(mHistory + 4, _mm256_add_pd(older, zero));
  mHistory[kOrder] = newest;
}
#pragma GCC pop_options

#else

double OversamplingFilter::StepEightWide(const double* x) noexcept { return StepEightPortable(x); }
void OversamplingFilter::StepEightRunWide(const double* x, int frames, double* out) noexcept
{
  for (int f = 0; f < frames; ++f) out[f] = StepEightPortable(x + kOrder * f);
}
#endif


bool OversamplingFilter::UsesWideBlocks() noexcept { return WideLanesAvailable(); }

double OversamplingFilter::StepEight(const double* x) noexcept
{
  return WideLanesAvailable() ? StepEightWide(x) : StepEightPortable(x);
}

void OversamplingFilter::StepEightRun(const double* x, int frames, double* out) noexcept
{
  if (WideLanesAvailable()) {
    StepEightRunWide(x, frames, out);
    return;
  }
  for (int f = 0; f < frames; ++f) out[f] = StepEightPortable(x + kOrder * f);
}
