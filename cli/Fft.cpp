#include "cli/Fft.h"

#include <cmath>
#include <utility>

void Fft(std::vector<std::complex<double>>& x)
{
  const size_t n = x.size();
  // Bit-reversed order, then butterflies of growing span.
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j |= bit;
    if (i < j) std::swap(x[i], x[j]);
  }
  for (size_t span = 2; span <= n; span <<= 1) {
    const double angle = -2.0 * M_PI / static_cast<double>(span);
    const std::complex<double> step(std::cos(angle), std::sin(angle));
    for (size_t start = 0; start < n; start += span) {
      std::complex<double> w(1.0, 0.0);
      for (size_t k = 0; k < span / 2; ++k) {
        const std::complex<double> a = x[start + k], b = x[start + k + span / 2] * w;
        x[start + k] = a + b;
        x[start + k + span / 2] = a - b;
        w *= step;
      }
    }
  }
}
