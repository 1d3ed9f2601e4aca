#pragma once
#include <cfloat>
#include <cmath>

// 2^-54: anything smaller is inaudible and, left alone, decays into denormals.
constexpr double kFlushThreshold = 5.551115123125783e-17;

// The chain's flush points: tiny and non-finite values become 0.
inline double FlushToZero(double v) noexcept
{
  const double a = std::fabs(v);
  return (a < kFlushThreshold || !(a <= DBL_MAX)) ? 0.0 : v;
}
