#pragma once
// Sample-and-hold rate reduction plus rounding to 2^depth levels. A new value
// is taken every truncate(clock rate / target rate) + 1 calls: the counter is
// reloaded without being decremented in the same call.
#include <cmath>
#include <cstdint>

class OrbBitCrusher2
{
public:
  OrbBitCrusher2() noexcept;
  virtual ~OrbBitCrusher2();

  // The rate Process() is called at.
  void SetClockRate(double hz) noexcept;
  void SetTargetRate(double hz) noexcept;
  // Fractional depths are allowed.
  void SetBitDepth(double bits) noexcept;

  inline double Process(double x) noexcept;
  // Process() over a buffer in place, the count and the held value kept in
  // registers from call to call.
  inline void ProcessRun(double* x, int n) noexcept;
  // `n` calls of Process(0.0) while the held value is 0: only the count moves.
  void Skip(int64_t n) noexcept;
  // Which of the next `n` calls of Process() read their input: call `first`,
  // then every `every` calls (first and every within [0, n] and [1, n + 1]).
  void ReadPattern(int n, int& first, int& every) const noexcept;

  double ClockRate() const noexcept { return mClockRate; }
  double TargetRate() const noexcept { return mTargetRate; }
  double BitDepth() const noexcept { return mBitDepth; }
  int64_t HoldCounter() const noexcept { return mHoldCounter; }
  double HeldValue() const noexcept { return mHeldValue; }

private:
  void UpdateHoldLength() noexcept;
  // One call's step on a count and a held value, wherever they are kept.
  inline double Step(int64_t& counter, double& held, double x) const noexcept;

  double mClockRate = 44100.0;
  double mTargetRate = 44100.0;
  double mBitDepth = 16.0;
  int64_t mHoldCounter = 0;
  double mHeldValue = 0.0;
  // Derived from the settings above, so Process() needs no pow (a read still
  // divides by the level count).
  double mLevels = 65536.0;
  int64_t mHoldLength = 1;
};

inline double OrbBitCrusher2::Step(int64_t& counter, double& held, double x) const noexcept
{
  if (counter > 0) {
    --counter;
  } else {
    counter = mHoldLength;
    held = std::floor(mLevels * x + 0.5) / mLevels;
  }
  return held;
}

inline double OrbBitCrusher2::Process(double x) noexcept { return Step(mHoldCounter, mHeldValue, x); }

inline void OrbBitCrusher2::ProcessRun(double* x, int n) noexcept
{
  int64_t counter = mHoldCounter;
  double held = mHeldValue;
  for (int j = 0; j < n; ++j) x[j] = Step(counter, held, x[j]);
  mHoldCounter = counter;
  mHeldValue = held;
}
