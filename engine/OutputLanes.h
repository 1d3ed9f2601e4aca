#pragma once
// The compression curve (OutputStage.h) over a stretch of output samples,
// four at a time in vector lanes where the processor has AVX2. The curve of
// one sample does not depend on the others, and each lane takes the steps of
// the one-sample form, so the bits are the same either way.
class OutputLanes
{
public:
  // d[i] becomes 0 where it is 0, else CompressionCurve(d[i], exponent), for
  // i below `count`; by the arithmetic DspTechniques() selects.
  static void Curve(double* d, int count, double exponent) noexcept;

  // FlushToZero() over `count` values in place.
  static void Flush(double* x, int count) noexcept;

  // True where the processor has AVX2; elsewhere Curve() and Flush() take
  // one sample at a time.
  static bool UsesWideLanes() noexcept;

private:
  // The fast power's curve over the first multiple of four values; returns
  // how many it did.
  static int CurveWide(double* d, int count, double exponent) noexcept;
  static int FlushWide(double* x, int count) noexcept;
  // CurveWide() eight lanes at a time (AVX-512); the same bits.
  static int CurveEight(double* d, int count, double exponent) noexcept;
  static int FlushEight(double* x, int count) noexcept;
};
