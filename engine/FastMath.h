#pragma once
// Polynomial and rational forms of the per-sample transcendental functions the
// voices use: branch-light, no library call, with the error bounds stated per
// function (checked against the library over dense grids by the tests). The
// reduced arguments are formed exactly, so the only error is the polynomial's
// own, a few units in the last place.
#include <cmath>
#include <cstdint>
#include <cstring>

namespace fastmath {
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;
// pi / 2 in two parts: the double nearest it and the remainder, so that
// pi / 2 - x keeps its relative accuracy right up to x = pi / 2.
constexpr double kHalfPiHi = 1.57079632679489655800e+00;
constexpr double kHalfPiLo = 6.12323399573676603587e-17;

// Nearest integer (ties to even) of |x| < 2^51 by the add-and-subtract of
// 1.5 * 2^52, which needs no rounding instruction beyond SSE2.
inline double RoundToInt(double x) noexcept
{
  constexpr double kShift = 6755399441055744.0;
  // Strict IEEE evaluation (no fast-math, SSE arithmetic) keeps the two steps.
  return (x + kShift) - kShift;
}

// tan(x) = x + x z P(z) / Q(z), z = x^2, on [-pi/4, pi/4]; returned as a
// numerator and denominator so the caller can take the reciprocal for free.
// Vectors of doubles take the same steps (the voice lanes).
template <typename T>
[[gnu::always_inline]] inline void TanRatio(T x, T& num, T& den) noexcept
{
  const T z = x * x;
  const T p = ((-1.30936939181383777646e4 * z + 1.15351664838587416140e6) * z - 1.79565251976484877988e7) * z;
  const T q = (((z + 1.36812963470692954678e4) * z - 1.32089234440210967447e6) * z + 2.50083801823357915839e7) * z -
              5.38695755929454629881e7;
  den = q;
  num = x * q + x * p;
}

// tan(x) = a / b for x in [0, pi/2] (the filters' pi fc / fs), left as a
// ratio for callers that fold the division into one of their own.
inline void TanQuarterRatio(double x, double& a, double& b) noexcept
{
  if (x <= 0.78539816339744830962) {
    TanRatio(x, a, b);
    return;
  }
  // tan(x) = 1 / tan(pi/2 - x); pi/2 - x is exact in two steps.
  const double r = (kHalfPiHi - x) + kHalfPiLo;
  TanRatio(r, b, a);
}

// tan(x) for x in [0, pi/2]; relative error below 6e-16 across the range,
// including the pole side where x nears pi / 2.
inline double TanQuarter(double x) noexcept
{
  double a, b;
  TanQuarterRatio(x, a, b);
  return a / b;
}

// sin(2 pi phase) for any phase of moderate size: the phase is reduced to
// [-1/8, 1/8] of a cycle around the nearest quarter, exactly; absolute error
// below 1e-15 plus the rounding of 2 pi phase in the library form.
inline double SinCycles(double phase) noexcept
{
  const double q = RoundToInt(phase * 4.0);
  const double y = phase - q * 0.25;  // exact: q / 4 is the nearest quarter
  const double x = kTwoPi * y;
  const double z = x * x;
  const int quadrant = static_cast<int>(static_cast<int64_t>(q) & 3);
  double v;
  if (quadrant & 1) {
    const double c = ((((( -1.13585365213876817300e-11 * z + 2.08757008419747316778e-9) * z - 2.75573141792967388112e-7) * z +
                        2.48015872888517045348e-5) * z - 1.38888888888730564116e-3) * z + 4.16666666666665929218e-2);
    v = 1.0 - 0.5 * z + z * z * c;
  } else {
    const double s = ((((( 1.58962301576546568060e-10 * z - 2.50507477628578072866e-8) * z + 2.75573136213857245213e-6) * z -
                        1.98412698295895385996e-4) * z + 8.33333333332211858878e-3) * z - 1.66666666666666307295e-1);
    v = x + x * z * s;
  }
  return quadrant & 2 ? -v : v;
}

// tan(pi phase) limited to [-1, 1]: the oscillator's clipped tangent. Where
// |tan| exceeds 1 only the sign matters; the half-cycle points themselves,
// where that sign is decided by the rounding of pi phase, go to the library.
inline double ClippedTanCycles(double phase) noexcept
{
  const double n = RoundToInt(phase);
  const double r = phase - n;  // exact, in [-1/2, 1/2]
  const double a = std::fabs(r);
  if (a <= 0.25) {
    double num, den;
    TanRatio(kPi * r, num, den);
    const double t = num / den;
    return t > 1.0 ? 1.0 : (t < -1.0 ? -1.0 : t);
  }
  if (a < 0.5)
    return r > 0.0 ? 1.0 : -1.0;
  const double t = std::tan(kPi * phase);
  return t > 1.0 ? 1.0 : (t < -1.0 ? -1.0 : t);
}

// 2^(k / 32) and log2(1 + (k + 1/2) / 32), k = 0 to 31, correctly rounded.
constexpr double kExp2Table[32] = {
    1.0, 1.0218971486541166, 1.0442737824274138, 1.0671404006768237,
    1.0905077326652577, 1.1143867425958924, 1.1387886347566916, 1.1637248587775775,
    1.189207115002721, 1.215247359980469, 1.241857812073484, 1.2690509571917332,
    1.2968395546510096, 1.3252366431597413, 1.3542555469368927, 1.383909881963832,
    1.4142135623730951, 1.4451808069770467, 1.4768261459394993, 1.5091644275934228,
    1.5422108254079407, 1.5759808451078865, 1.6104903319492543, 1.645755478153965,
    1.681792830507429, 1.718619298122478, 1.7562521603732995, 1.7947090750031072,
    1.8340080864093424, 1.8741676341103, 1.9152065613971474, 1.9571441241754002};
constexpr double kLog2Table[32] = {
    0.02236781302845451, 0.06608919045777244, 0.10852445677816905, 0.14974711950468206,
    0.18982455888001723, 0.22881869049588088, 0.2667865406949014, 0.30378074817710293,
    0.33985000288462475, 0.37503943134692475, 0.4093909361377018, 0.4429434958487283,
    0.47573343096639775, 0.5077946401986962, 0.5391588111080314, 0.5698556083309478,
    0.5999128421871277, 0.6293566200796096, 0.6582114827517948, 0.6865005271832184,
    0.7142455176661227, 0.7414669864011469, 0.7681843247769263, 0.794415866350106,
    0.8201789624151877, 0.8454900509443752, 0.8703647195834046, 0.8948177633079435,
    0.9188632372745945, 0.9425145053392399, 0.965784284662087, 0.9886846867721658};

// log2(x) for finite normal x > 0: the exponent, plus log2 of the nearest of
// 32 mantissa centres c, plus 2 atanh(s) / ln 2 with s = (m - c) / (m + c),
// |s| < 1/128, by four terms of its odd series. Absolute error below 4e-16
// before the final rounding of the sum.
inline double Log2(double x) noexcept
{
  uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  const int e = static_cast<int>((bits >> 52) & 0x7FF) - 1023;
  const int j = static_cast<int>((bits >> 47) & 31);
  bits = (bits & 0x000FFFFFFFFFFFFFull) | 0x3FF0000000000000ull;
  double m;
  std::memcpy(&m, &bits, sizeof m);
  const double c = 1.0 + (j + 0.5) * (1.0 / 32.0);
  const double s = (m - c) / (m + c);  // m - c is exact
  const double s2 = s * s;
  constexpr double kTwoOverLn2 = 2.8853900817779268;
  const double series = s * kTwoOverLn2 + (s * s2) * (kTwoOverLn2 / 3.0 + s2 * (kTwoOverLn2 / 5.0 + s2 * (kTwoOverLn2 / 7.0)));
  return (static_cast<double>(e) + kLog2Table[j]) + series;
}

// 2^y for y in [-1000, 1000]: y = (32 n + k) / 32 + r with |r| <= 1/64 (the
// split is exact), 2^(k/32) from the table, e^(r ln 2) by its Taylor series
// to the sixth power in a short-latency grouping. Relative error below 3e-16.
inline double Exp2(double y) noexcept
{
  const double nk = RoundToInt(y * 32.0);
  const double f = (y - nk * (1.0 / 32.0)) * 0.69314718055994530942;
  const double f2 = f * f;
  const double p = (1.0 + f) + f2 * ((0.5 + f * (1.0 / 6.0)) + f2 * ((1.0 / 24.0 + f * (1.0 / 120.0)) + f2 * (1.0 / 720.0)));
  const int64_t i = static_cast<int64_t>(nk);
  const int64_t n = i >> 5;  // floor division by 32
  const uint64_t bits = static_cast<uint64_t>(n + 1023) << 52;
  double scale;
  std::memcpy(&scale, &bits, sizeof scale);
  return (kExp2Table[i & 31] * p) * scale;
}
}  // namespace fastmath

namespace fastmath {
// t^c for positive t (the pitch sweep's curve, the output's compression
// curve): 2^(c log2 t) where t is a normal number and c log2 t stays well
// inside the exponent range, the library elsewhere (0, subnormal, infinite
// or NaN t, extreme c). Relative error below 5e-14 for the curves (up to 8)
// and sweep lengths in use: the rounding of c log2 t, up to 180 in size,
// dominates.
inline double PowUnit(double t, double c) noexcept
{
  if (!(t >= 2.2250738585072014e-308 && t <= 1.7976931348623157e308))
    return std::pow(t, c);
  const double y = c * Log2(t);
  if (!(y > -1000.0 && y < 1000.0))
    return std::pow(t, c);
  return Exp2(y);
}
}  // namespace fastmath
