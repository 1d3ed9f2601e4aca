#include "engine/OversamplingFilter.h"

#include <cmath>
#include <complex>

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
  Reset();
}

void OversamplingFilter::Reset() noexcept
{
  for (double& y : mHistory)
    y = 0.0;
}
