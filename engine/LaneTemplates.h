// The lane arithmetic as templates over the width L (Lanes4 in LaneMath.h,
// Lanes8 in LaneMath8.h): the same steps at every width, so each lane gives
// the bits of the scalar forms in FastMath.h.
//
// No include guard: LaneMath.h and LaneMath8.h each include it inside their
// own namespace, in a region compiled for their instruction set, so that
// every template is compiled for the width's instructions (a template takes
// the instruction set of the region that defines it).

template <typename L>
[[gnu::always_inline]] inline typename L::V AbsT(typename L::V x)
{
  return L::FromBits(L::Bits(x) & 0x7FFFFFFFFFFFFFFFull);
}

// The integer nearest x (|x| < 2^51) as fastmath::RoundToInt forms it, and
// its low bits, which the sum of the shift holds.
template <typename L>
[[gnu::always_inline]] inline typename L::V RoundT(typename L::V x, typename L::U& low)
{
  constexpr double kShift = 6755399441055744.0;
  const typename L::V shifted = x + kShift;
  low = L::Bits(shifted);
  return shifted - kShift;
}

// fastmath::SinCycles.
template <typename L>
[[gnu::always_inline]] inline typename L::V SinCyclesT(typename L::V phase)
{
  using V = typename L::V;
  using M = typename L::M;
  typename L::U low;
  const V q = RoundT<L>(phase * 4.0, low);
  const V y = phase - q * 0.25;
  const V x = fastmath::kTwoPi * y;
  const V z = x * x;
  const V c = (((((-1.13585365213876817300e-11 * z + 2.08757008419747316778e-9) * z - 2.75573141792967388112e-7) * z +
                 2.48015872888517045348e-5) * z - 1.38888888888730564116e-3) * z + 4.16666666666665929218e-2);
  const V cosine = 1.0 - 0.5 * z + z * z * c;
  const V s = (((((1.58962301576546568060e-10 * z - 2.50507477628578072866e-8) * z + 2.75573136213857245213e-6) * z -
                 1.98412698295895385996e-4) * z + 8.33333333332211858878e-3) * z - 1.66666666666666307295e-1);
  const V sine = x + x * z * s;
  const M odd = (low & 1) != 0;
  const M negative = (low & 2) != 0;
  const V v = odd ? cosine : sine;
  return negative ? -v : v;
}

template <typename L>
[[gnu::always_inline]] inline typename L::V ClipT(typename L::V t)
{
  return L::ClampUnit(t);
}

// fastmath::ClippedTanCycles without the scalar tangent: `edge` marks the
// lanes left to it (a phase on the half cycle, or not finite), so that a
// loop can keep the call out of its body.
template <typename L>
[[gnu::always_inline]] inline typename L::V ClippedTanCyclesT(typename L::V phase, typename L::M& edge)
{
  using V = typename L::V;
  typename L::U low;
  const V r = phase - RoundT<L>(phase, low);
  const V a = AbsT<L>(r);
  V num, den;
  fastmath::TanRatio(fastmath::kPi * r, num, den);
  const V t = ClipT<L>(num / den);
  edge = ~(a < 0.5) & ~(a <= 0.25);
  // Past a quarter cycle r is not 0, so its sign bit is r > 0's answer; where
  // r is not a number the lane is an edge.
  const V sign = L::FromBits((L::Bits(r) & 0x8000000000000000ull) | 0x3FF0000000000000ull);
  return a <= 0.25 ? t : sign;
}

// fastmath::ClippedTanCycles.
template <typename L>
[[gnu::always_inline]] inline typename L::V ClippedTanCyclesT(typename L::V phase)
{
  using V = typename L::V;
  using M = typename L::M;
  M edge;
  V t = ClippedTanCyclesT<L>(phase, edge);
  if (L::Any(edge))
    for (int l = 0; l < L::kCount; ++l)
      if (edge[l]) {
        const double e = std::tan(fastmath::kPi * phase[l]);
        t[l] = e > 1.0 ? 1.0 : (e < -1.0 ? -1.0 : e);
      }
  return t;
}

// Small non-negative integers (below 2^52) as doubles, exactly.
template <typename L>
[[gnu::always_inline]] inline typename L::V ExactT(typename L::U n)
{
  return L::FromBits(n | 0x4330000000000000ull) - 4503599627370496.0;
}

// fastmath::PowUnit; lanes outside the polynomial's domain take std::pow.
template <typename L>
[[gnu::always_inline]] inline typename L::V PowUnitT(typename L::V t, typename L::V c)
{
  using V = typename L::V;
  using M = typename L::M;
  using U = typename L::U;
  const M normal = (t >= 2.2250738585072014e-308) & (t <= 1.7976931348623157e308);
  const V safeT = normal ? t : L::Splat(0.5);
  // Log2
  U bits = L::Bits(safeT);
  const U j = (bits >> 47) & 31;
  const U expo = (bits >> 52) & 0x7FF;
  const V m = L::FromBits((bits & 0x000FFFFFFFFFFFFFull) | 0x3FF0000000000000ull);
  const V e = ExactT<L>(expo) - 1023.0;
  const V table = L::Gather(fastmath::kLog2Table, j);
  const V jd = ExactT<L>(j);
  const V centre = 1.0 + (jd + 0.5) * (1.0 / 32.0);
  const V s = (m - centre) / (m + centre);
  const V s2 = s * s;
  constexpr double kTwoOverLn2 = 2.8853900817779268;
  const V series = s * kTwoOverLn2 + (s * s2) * (kTwoOverLn2 / 3.0 + s2 * (kTwoOverLn2 / 5.0 + s2 * (kTwoOverLn2 / 7.0)));
  const V y = c * ((e + table) + series);
  const M inRange = (y > -1000.0) & (y < 1000.0);
  const V safeY = inRange ? y : L::Splat(0.0);
  // Exp2
  U low;
  const V nk = RoundT<L>(safeY * 32.0, low);
  const V f = (safeY - nk * (1.0 / 32.0)) * 0.69314718055994530942;
  const V f2 = f * f;
  const V p = (1.0 + f) + f2 * ((0.5 + f * (1.0 / 6.0)) + f2 * ((1.0 / 24.0 + f * (1.0 / 120.0)) + f2 * (1.0 / 720.0)));
  // low holds nk modulo 2^51; nk + 1023 * 32 is positive for y > -1000, so
  // a logical shift gives floor(nk / 32) + 1023.
  const U biased = (low + 1023u * 32u) & 0x7FFFFFFFFFFFFull;
  const V scale = L::FromBits((biased >> 5) << 52);
  const V t2 = L::Gather(fastmath::kExp2Table, biased & 31);
  V result = (t2 * p) * scale;
  const M library = ~(normal & inRange);
  if (L::Any(library))
    for (int l = 0; l < L::kCount; ++l)
      if (library[l]) result[l] = std::pow(t[l], c[l]);
  return result;
}

// fastmath::TanQuarterRatio: tan(x) = a / b.
template <typename L>
[[gnu::always_inline]] inline void TanQuarterRatioT(typename L::V x, typename L::V& a, typename L::V& b)
{
  using V = typename L::V;
  const typename L::M near = x <= 0.78539816339744830962;
  const V r = (fastmath::kHalfPiHi - x) + fastmath::kHalfPiLo;
  V num, den;
  fastmath::TanRatio(near ? x : r, num, den);
  a = near ? num : den;
  b = near ? den : num;
}

// StateVariableFilter::SetCutoffClampedT<true>()'s cutoff: 0 below 0 (and
// for NaN), half the rate above it.
template <typename L>
[[gnu::always_inline]] inline typename L::V ClampedCutoffT(typename L::V hz, typename L::V rate)
{
  const typename L::V half = rate * 0.5;
  return hz > 0.0 ? (hz < half ? hz : half) : L::Splat(0.0);
}

// The coefficients of StateVariableFilter::UpdateG<true>() at a clamped
// cutoff: g and h (FastCoefficients), and StepFast's a, 2 g and 2 g^2.
template <typename L>
[[gnu::always_inline]] inline void FastFilterCoefficientsT(typename L::V cutoff, typename L::V rate, typename L::V k,
                                                           typename L::V& g, typename L::V& h, typename L::V& a,
                                                           typename L::V& g2, typename L::V& c)
{
  using V = typename L::V;
  // As StateVariableFilter::UpdateG<true>(): pi / rate does not change with
  // the cutoff, so a loop works it out once.
  const V x = cutoff * (fastmath::kPi / rate);
  V ta, tb;
  TanQuarterRatioT<L>(x, ta, tb);
  const V q = (ta * k + tb) * tb + ta * ta;
  const V r = 1.0 / (tb * q);
  g = ta * q * r;
  h = tb * tb * tb * r;
  const typename L::M other =
      ~((x >= 0.0) & (x <= fastmath::kHalfPiHi)) | ~(AbsT<L>(g) <= DBL_MAX) | ~(AbsT<L>(h) <= DBL_MAX);
  if (L::Any(other))
    for (int l = 0; l < L::kCount; ++l)
      if (other[l]) StateVariableFilter::FastCoefficients(x[l], k[l], g[l], h[l]);
  a = -(k + g) * h;
  g2 = 2.0 * g;
  c = g2 * g;
}

// Voice::LowPassTarget() and HighPassTarget(): the cutoffs under the filter
// envelope's level e, for a base cutoff and an envelope depth.
// Each in two parts, for a depth above 0 and below 0, which callers that know
// the depth's sign may take on their own.
template <typename L>
[[gnu::always_inline]] inline typename L::V LowPassUpT(typename L::V e, typename L::V base, typename L::V depth, double full)
{
  return base * (1.0 - depth) + depth * ((1.0 - e) * base + full * e);
}
template <typename L>
[[gnu::always_inline]] inline typename L::V LowPassDownT(typename L::V e, typename L::V base, typename L::V depth,
                                                         double full)
{
  return base * (1.0 + depth) + (-depth) * ((1.0 - e) * full + e * base);
}
template <typename L>
[[gnu::always_inline]] inline typename L::V LowPassTargetT(typename L::V e, typename L::V base, typename L::V depth,
                                                           double full)
{
  return depth > 0.0 ? LowPassUpT<L>(e, base, depth, full)
                     : (depth < 0.0 ? LowPassDownT<L>(e, base, depth, full) : base);
}
template <typename L>
[[gnu::always_inline]] inline typename L::V HighPassUpT(typename L::V e, typename L::V base, typename L::V depth)
{
  return depth * (1.0 - e) * base + (1.0 - depth) * base;
}
template <typename L>
[[gnu::always_inline]] inline typename L::V HighPassDownT(typename L::V e, typename L::V base, typename L::V depth)
{
  return (-depth) * e * base + (1.0 + depth) * base;
}
template <typename L>
[[gnu::always_inline]] inline typename L::V HighPassTargetT(typename L::V e, typename L::V base, typename L::V depth)
{
  return depth > 0.0 ? HighPassUpT<L>(e, base, depth) : (depth < 0.0 ? HighPassDownT<L>(e, base, depth) : base);
}

// The saw's value at phase p: the band-limited table inside the transition,
// its ends (or, for 0/0, its middle) outside it.
template <typename L>
[[gnu::always_inline]] inline typename L::V SawValueT(typename L::V p, typename L::V sawScale)
{
  using V = typename L::V;
  V ex = p * sawScale;
  const typename L::M within = AbsT<L>(ex) <= 0.5;
  if (!L::Any(within)) {
    // Past the transition everywhere: the table's ends with weights 1 and
    // 0, and its middle for the 0/0 of a frequency of 0.
    return (ex > 0.5 ? L::Splat(kSawTable[kSawTableSize - 1])
                     : (ex < -0.5 ? L::Splat(kSawTable[0]) : L::Splat(kSawTable[(kSawTableSize - 1) / 2]))) - p;
  }
  ex = within ? ex : (ex > 0.5 ? L::Splat(0.5) : (ex < -0.5 ? L::Splat(-0.5) : L::Splat(0.0)));
  const V x = 1000.0 * ex + 500.0;
  // x is in [0, 1000]: truncation is the conversion's rounding toward zero.
  V lo, hi, w;
  L::Neighbours(kSawTable, kSawTableSize, x, lo, hi, w);
  return (1.0 - w) * lo + w * hi - p;
}

// FlushToZero: v where kFlushThreshold <= |v| <= DBL_MAX, else +0 (a mask
// and an and instead of a blend).
template <typename L>
[[gnu::always_inline]] inline typename L::V FlushT(typename L::V v)
{
  const typename L::V a = AbsT<L>(v);
  const typename L::M keep = (a >= kFlushThreshold) & (a <= DBL_MAX);
  return L::FromBits(L::Bits(v) & reinterpret_cast<typename L::U>(keep));
}

// The output curve (OutputStage.h's CompressionCurve) at exponent c, with 0
// for 0: zeros stay zeros without a pow (1 is a value of the polynomial's
// domain).
template <typename L>
[[gnu::always_inline]] inline typename L::V CompressionCurveT(typename L::V x, typename L::V c)
{
  using V = typename L::V;
  const typename L::M zero = x == 0.0;
  const typename L::M positive = x > 0.0;
  const V t = zero ? L::Splat(1.0) : (positive ? x : -x);
  const V p = PowUnitT<L>(t, c);
  V y = positive ? p : -p;
  y = y < -2.0 ? L::Splat(-2.0) : (y > 2.0 ? L::Splat(2.0) : y);
  y = FlushT<L>(y);
  return zero ? L::Splat(0.0) : y;
}

// f over the first multiple of L::kCount of `count` values, in place;
// returns how many it did.
template <typename L, typename F>
[[gnu::always_inline]] inline int MapInPlaceT(double* d, int count, F f)
{
  int i = 0;
  for (; i + L::kCount <= count; i += L::kCount) L::Store(d + i, f(L::Load(d + i)));
  return i;
}
