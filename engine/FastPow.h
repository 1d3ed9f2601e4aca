#pragma once
// The instrument's power approximation and note-to-hertz mapping. Every pitch
// of the engine goes through these, so their quirks (FastPow(2, 0) is
// 0.9710078239440918, note 69 is 427.24 Hz) are the instrument's tuning and
// must be reproduced bit for bit.
#include <cstdint>
#include <cstring>

namespace fastpow_detail {
constexpr double kBias = 1072632447.0;

// Truncation toward zero as the SSE conversion does it: out-of-range and NaN
// inputs give INT32_MIN instead of undefined behaviour.
inline int32_t TruncateToInt32(double v) noexcept
{
  if (v > -2147483649.0 && v < 2147483648.0)
    return static_cast<int32_t>(v);
  return INT32_MIN;
}
}  // namespace fastpow_detail

// a^b from the exponent bits of a: only the upper 32 bits of the double are
// scaled, the lower 32 are left at zero.
inline double FastPow(double a, double b) noexcept
{
  uint64_t bits;
  std::memcpy(&bits, &a, sizeof bits);
  const int32_t high = static_cast<int32_t>(static_cast<uint32_t>(bits >> 32));
  // The subtraction is exact in double and cannot overflow like the 32-bit one.
  const double scaled = b * (static_cast<double>(high) - fastpow_detail::kBias) + fastpow_detail::kBias;
  const uint32_t newHigh = static_cast<uint32_t>(fastpow_detail::TruncateToInt32(scaled));
  bits = static_cast<uint64_t>(newHigh) << 32;
  double result;
  std::memcpy(&result, &bits, sizeof result);
  return result;
}

// 440 Hz times the approximate 2^((note - 69) / 12); note 81 is exactly 880 Hz.
inline double NoteToFrequency(int32_t note) noexcept
{
  return 440.0 * FastPow(2.0, (static_cast<double>(note) - 69.0) / 12.0);
}
