// The lane arithmetic at four and at eight lanes against the one-value forms
// it stands for, bit for bit, on values chosen for their edges: each lane of
// a vector has to give what the plain code gives for its value alone,
// whatever its neighbours hold.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "engine/DspPath.h"
#include "engine/FastMath.h"
#include "engine/Flush.h"
#include "engine/OutputStage.h"
#include "engine/StateVariableFilter.h"
#include "engine/WideLanes.h"
#include "support/ScopedTechniques.h"

namespace {
enum Op { kSin, kTan, kPow, kCurve, kFlush, kFilterG, kFilterH, kClamp, kTanVector };
// What the vector part of the tangent leaves to the scalar one stands out.
constexpr double kLeftToScalar = 12345.0;
constexpr double kRate = 384000.0;
constexpr double kQ = 2.0;
constexpr double kK = 1.0 / kQ;
}  // namespace

// The lane forms over a buffer (a multiple of eight values), at the width
// of lane type L from namespace NS. Spelled once as a macro and expanded in
// each width's region, so that each copy is compiled for the instructions
// of its width, as the engine compiles the lane code.
#define VORBLEX_APPLY_LANES(NAME, L, NS)                                                                     \
  void NAME(Op op, const double* x, const double* y, double* out, int n)                                     \
  {                                                                                                          \
    using V = L::V;                                                                                          \
    for (int i = 0; i < n; i += L::kCount) {                                                                 \
      const V a = L::Load(x + i), b = L::Load(y + i);                                                        \
      V r{}, g{}, h{}, fa{}, g2{}, c{};                                                                      \
      switch (op) {                                                                                          \
      case kSin: r = NS::SinCyclesT<L>(a); break;                                                            \
      case kTan: r = NS::ClippedTanCyclesT<L>(a); break;                                                     \
      case kClamp: r = L::ClampUnit(a); break;                                                               \
      case kTanVector: {                                                                                     \
        L::M edge;                                                                                           \
        r = NS::ClippedTanCyclesT<L>(a, edge);                                                               \
        r = edge ? L::Splat(kLeftToScalar) : r;                                                              \
        break;                                                                                               \
      }                                                                                                      \
      case kPow: r = NS::PowUnitT<L>(a, b); break;                                                           \
      case kCurve: r = NS::CompressionCurveT<L>(a, b); break;                                                \
      case kFlush: r = NS::FlushT<L>(a); break;                                                              \
      case kFilterG:                                                                                         \
      case kFilterH:                                                                                         \
        NS::FastFilterCoefficientsT<L>(NS::ClampedCutoffT<L>(a, L::Splat(kRate)), L::Splat(kRate), L::Splat(kK), \
                                       g, h, fa, g2, c);                                                     \
        r = op == kFilterG ? g : h;                                                                          \
        break;                                                                                               \
      }                                                                                                      \
      L::Store(out + i, r);                                                                                  \
    }                                                                                                        \
  }

#if !defined(__clang__) && (defined(__x86_64__) || defined(__i386__))
#define VORBLEX_LANE_TESTS 1
#pragma GCC push_options
#pragma GCC target("avx2")
#include "engine/LaneMath.h"
namespace {
VORBLEX_APPLY_LANES(ApplyFour, lanemath::Lanes4, lanemath)
}  // namespace
#pragma GCC pop_options

#pragma GCC push_options
#pragma GCC target("avx2,avx512f,avx512dq")
#include "engine/LaneMath8.h"
namespace {
VORBLEX_APPLY_LANES(ApplyEight, lanemath8::Lanes8, lanemath8)
}  // namespace
#pragma GCC pop_options
#endif

namespace {
bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The one-value form of each operation.
double Plain(Op op, double x, double y)
{
  StateVariableFilter f;
  switch (op) {
  case kSin: return fastmath::SinCycles(x);
  case kTan: return fastmath::ClippedTanCycles(x);
  case kPow: return fastmath::PowUnit(x, y);
  case kCurve: return x == 0.0 ? 0.0 : CompressionCurve(x, y);
  case kFlush: return FlushToZero(x);
  case kClamp: return x > 1.0 ? 1.0 : (x < -1.0 ? -1.0 : x);
  case kTanVector:
    // The scalar tangent takes the phases on the half cycle and those that
    // are not finite; the vector part gives the rest their bits.
    return !std::isfinite(x) || std::fabs(x - std::nearbyint(x)) == 0.5 ? kLeftToScalar : fastmath::ClippedTanCycles(x);
  case kFilterG:
  case kFilterH:
    f.SetSampleRate(kRate);
    f.SetQ(kQ);
    // From another cutoff, so that the coefficients are worked out anew.
    f.SetCutoffClampedT<true>(123.0);
    f.SetCutoffClampedT<true>(x);
    return op == kFilterG ? f.G() : f.H();
  }
  return 0.0;
}

// Edge values of each operation's domain, then values spread over it, in an
// order that mixes kinds within every vector.
std::vector<double> Inputs(Op op)
{
  std::vector<double> v = {0.0, -0.0, NAN, INFINITY, -INFINITY, DBL_MIN, -DBL_MIN, 1e-310, DBL_MAX};
  std::mt19937 random(static_cast<uint32_t>(op) + 7u);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  switch (op) {
  case kClamp:
    for (double t : {1.0, -1.0, std::nextafter(1.0, 2.0), std::nextafter(-1.0, -2.0), 0.5, -static_cast<double>(NAN)}) v.push_back(t);
    for (int i = 0; i < 400; ++i) v.push_back(4.0 * unit(random) - 2.0);
    break;
  case kSin:
  case kTan:
  case kTanVector:
    for (double p : {0.25, -0.25, 0.5, -0.5, 0.75, 0.125, 1.0, 0.2499999999999999, 0.2500000000000001}) v.push_back(p);
    for (int i = 0; i < 4000; ++i) v.push_back(3.0 * unit(random) - 1.5);
    break;
  case kPow:
  case kCurve:
    for (double t : {1.0, 0.5, 2.0, 1e-300, 5.5e-17, 2.2250738585072014e-308}) v.push_back(t);
    for (int i = 0; i < 4000; ++i) v.push_back((op == kCurve && i % 2 ? -4.0 : 1.0) * std::pow(1e-20, unit(random)));
    break;
  case kFlush:
    for (double a : {5.551115123125783e-17, 5.5511151231257827e-17, -5.551115123125783e-17, 1.0}) v.push_back(a);
    for (int i = 0; i < 400; ++i) v.push_back(std::pow(1e-20, unit(random)) * (i % 2 ? -1.0 : 1.0));
    break;
  case kFilterG:
  case kFilterH:
    for (double hz : {-5.0, 1e-9, 20.0, 22050.0, kRate * 0.25, kRate * 0.5, kRate * 0.5 - 1e-7, kRate}) v.push_back(hz);
    for (int i = 0; i < 4000; ++i) v.push_back(kRate * 0.5 * unit(random));
    break;
  }
  while (v.size() % 8 != 0) v.push_back(0.5);
  return v;
}
}  // namespace

TEST(LaneMath, EveryLaneGivesTheOneValueFormsBits)
{
#if defined(VORBLEX_LANE_TESTS)
  ScopedTechniques scope(kAllTechniques);
  const bool four = WideLanesAvailable(), eight = EightLanesAvailable();
  if (!four) GTEST_SKIP() << "no AVX2: the engine takes the one-value forms";
  for (Op op : {kSin, kTan, kPow, kCurve, kFlush, kFilterG, kFilterH, kClamp, kTanVector}) {
    const std::vector<double> x = Inputs(op);
    // The second operand: curves from gentle to steep, the curve's exponents.
    std::vector<double> y(x.size());
    for (size_t i = 0; i < y.size(); ++i) y[i] = op == kCurve ? 0.2 + 0.3 * static_cast<double>(i % 5) : 0.125 * static_cast<double>(1 + i % 64);
    const int n = static_cast<int>(x.size());
    std::vector<double> byFour(x.size()), byEight(x.size());
    ApplyFour(op, x.data(), y.data(), byFour.data(), n);
    if (eight) ApplyEight(op, x.data(), y.data(), byEight.data(), n);
    int differing = 0;
    for (size_t i = 0; i < x.size(); ++i) {
      const double plain = Plain(op, x[i], y[i]);
      if (!SameBits(byFour[i], plain) || (eight && !SameBits(byEight[i], plain))) {
        if (++differing <= 3)
          ADD_FAILURE() << "op " << op << " at " << x[i] << ", " << y[i] << ": " << byFour[i] << " / " << byEight[i] << " against " << plain;
      }
    }
    EXPECT_EQ(differing, 0) << "op " << op << (eight ? " (four and eight lanes)" : " (four lanes)");
  }
#else
  GTEST_SKIP() << "this build compiles no lane code";
#endif
}
