#pragma once
// Measuring tools for the engine tests: pitch from level crossings, amplitude
// of a known sine by least squares, band powers by FFT.
#include <cmath>
#include <complex>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/Oscilator.h"

namespace enginetest {

constexpr double kPi = 3.14159265358979323846;
// 8 x 44100, the oversampled rate most tests run at.
constexpr int32_t kRate = 352800;

inline double ToDb(double ratio) { return 20.0 * std::log10(ratio); }

// The oscillator rate the oscillator tests run at (voices hand theirs in).
inline int32_t& TestOscillatorRate()
{
  static int32_t rate = 44100;
  return rate;
}

// One sample of an oscillator at the tests' rate.
inline double Next(Oscilator& osc, double frequency)
{
  return osc.NextSample(frequency, static_cast<double>(TestOscillatorRate()));
}

// Sets the tests' oscillator rate for one test and restores it after.
class ScopedOversampledRate
{
public:
  explicit ScopedOversampledRate(int32_t rate) : mPrevious(TestOscillatorRate()) { TestOscillatorRate() = rate; }
  ~ScopedOversampledRate() { TestOscillatorRate() = mPrevious; }
  ScopedOversampledRate(const ScopedOversampledRate&) = delete;
  ScopedOversampledRate& operator=(const ScopedOversampledRate&) = delete;

private:
  int32_t mPrevious;
};

inline std::vector<double> Render(size_t count, const std::function<double()>& next)
{
  std::vector<double> out(count);
  for (double& v : out)
    v = next();
  return out;
}

// Frequency in Hz from rising crossings with hysteresis: a crossing counts
// when the signal rises through 70 % of its range after having been below
// 30 %, so overtones and smoothed jumps cannot add crossings. The crossing
// instant is interpolated between the two samples around it.
inline double MeasureFrequency(const std::vector<double>& x, double sampleRate)
{
  double lo = x[0], hi = x[0];
  for (double v : x) {
    lo = std::fmin(lo, v);
    hi = std::fmax(hi, v);
  }
  const double low = lo + 0.3 * (hi - lo);
  const double high = lo + 0.7 * (hi - lo);
  bool armed = false;
  double first = -1.0, last = -1.0;
  int count = 0;
  for (size_t n = 1; n < x.size(); ++n) {
    if (x[n] < low)
      armed = true;
    if (armed && x[n - 1] < high && x[n] >= high) {
      const double t = (n - 1) + (high - x[n - 1]) / (x[n] - x[n - 1]);
      if (count == 0)
        first = t;
      last = t;
      ++count;
      armed = false;
    }
  }
  if (count < 2)
    return 0.0;
  return sampleRate * (count - 1) / (last - first);
}

// Amplitude of the component at `cyclesPerSample` in x[start...], fitted by
// least squares to a cos + b sin; exact for a steady sine whatever the length.
inline double SineAmplitude(const std::vector<double>& x, size_t start, double cyclesPerSample)
{
  double cc = 0, ss = 0, cs = 0, xc = 0, xs = 0;
  for (size_t n = start; n < x.size(); ++n) {
    const double ph = 2.0 * kPi * cyclesPerSample * static_cast<double>(n);
    const double c = std::cos(ph), s = std::sin(ph);
    cc += c * c;
    ss += s * s;
    cs += c * s;
    xc += x[n] * c;
    xs += x[n] * s;
  }
  const double det = cc * ss - cs * cs;
  const double a = (xc * ss - xs * cs) / det;
  const double b = (xs * cc - xc * cs) / det;
  return std::sqrt(a * a + b * b);
}

// In-place radix-2 FFT; the size must be a power of two.
inline void Fft(std::vector<std::complex<double>>& a)
{
  const size_t n = a.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1)
      j ^= bit;
    j ^= bit;
    if (i < j)
      std::swap(a[i], a[j]);
  }
  for (size_t len = 2; len <= n; len <<= 1) {
    const std::complex<double> w = std::polar(1.0, -2.0 * kPi / static_cast<double>(len));
    for (size_t i = 0; i < n; i += len) {
      std::complex<double> wk(1.0, 0.0);
      for (size_t k = 0; k < len / 2; ++k) {
        const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * wk;
        a[i + k] = u + v;
        a[i + k + len / 2] = u - v;
        wk *= w;
      }
    }
  }
}

// Averaged periodogram (Hann window, segments of `size`) of x, per bin.
inline std::vector<double> PowerSpectrum(const std::vector<double>& x, size_t size)
{
  std::vector<double> power(size / 2, 0.0);
  std::vector<std::complex<double>> buf(size);
  for (size_t start = 0; start + size <= x.size(); start += size) {
    for (size_t n = 0; n < size; ++n) {
      const double w = 0.5 - 0.5 * std::cos(2.0 * kPi * n / size);
      buf[n] = x[start + n] * w;
    }
    Fft(buf);
    for (size_t k = 0; k < size / 2; ++k)
      power[k] += std::norm(buf[k]);
  }
  return power;
}

// Mean power of the bins between two relative frequencies.
inline double BandPower(const std::vector<double>& power, double from, double to)
{
  const size_t size = power.size() * 2;
  const size_t a = static_cast<size_t>(from * size), b = static_cast<size_t>(to * size);
  double sum = 0.0;
  for (size_t k = a; k <= b; ++k)
    sum += power[k];
  return sum / static_cast<double>(b - a + 1);
}

}  // namespace enginetest
