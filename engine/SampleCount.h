#pragma once
#include <cstdint>

// A time in samples as a whole count, truncated. Negative and NaN values give
// 0 and huge ones saturate at 2^63 (never reached in practice), where a plain
// conversion would be undefined.
inline uint64_t ToSampleCount(double samples) noexcept
{
  if (!(samples >= 1.0))
    return 0;
  if (samples >= 9223372036854775808.0)
    return 9223372036854775808ull;
  return static_cast<uint64_t>(samples);
}
