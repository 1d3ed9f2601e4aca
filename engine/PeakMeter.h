#pragma once
// Block peaks of the two output channels and the smoothed levels the meters
// show: a new peak above the shown level moves it 70 % of the way, one below
// it 50 %. Linear amplitudes throughout.
#include <cmath>

class PeakMeter
{
public:
  static constexpr double kRiseWeight = 0.7;
  static constexpr double kFallWeight = 0.5;

  PeakMeter() noexcept = default;
  virtual ~PeakMeter();

  void ClearBlockPeaks() noexcept { mPeakLeft = mPeakRight = 0.0; }
  // One output sample; NaN samples are ignored.
  void AddSamples(double left, double right) noexcept
  {
    const double l = std::fabs(left);
    const double r = std::fabs(right);
    if (l > mPeakLeft)
      mPeakLeft = l;
    if (r > mPeakRight)
      mPeakRight = r;
  }
  // Moves the shown levels toward the block peaks.
  void EndBlock() noexcept;

  double DisplayedLeft() const noexcept { return mDisplayedLeft; }
  double DisplayedRight() const noexcept { return mDisplayedRight; }
  double BlockPeakLeft() const noexcept { return mPeakLeft; }
  double BlockPeakRight() const noexcept { return mPeakRight; }

private:
  double mDisplayedLeft = 0.0;
  double mDisplayedRight = 0.0;
  double mPeakLeft = 0.0;
  double mPeakRight = 0.0;
  double mRiseWeight = kRiseWeight;
  double mFallWeight = kFallWeight;

  void Follow(double& displayed, double& peak) const noexcept
  {
    const double w = displayed > peak ? mFallWeight : mRiseWeight;
    displayed = (1.0 - w) * displayed + w * peak;
    peak = displayed;
  }
};
