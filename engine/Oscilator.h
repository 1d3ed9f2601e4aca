#pragma once
// One sample per call of one of ten waveforms, with the phase counted in
// cycles. Runs at the rate its voice passes to each sample: the instance's
// oversampled rate, truncated to whole hertz.
#include <cmath>
#include <cstdint>
#include <limits>

#include "engine/FastMath.h"
#include "engine/SawTable.h"
#include "platform/Random.h"

enum EOscWaveform : int32_t
{
  kOscOff = 0,
  kOscTriangle = 1,
  kOscSin = 2,
  kOscSquare = 3,
  kOscSaw = 4,
  kOscBreaker = 5,
  kOscTan = 6,
  kOscWhistle = 7,
  kOscWhiteNoise = 8,
  kOscPinkNoise = 9
};

class Oscilator
{
public:
  // Seeds the constructing thread's random state with the time in seconds.
  Oscilator() noexcept;
  virtual ~Oscilator();

  // One sample at `frequency` Hz; advances the phase. `rate` is the
  // oscillator rate, the oversampled rate truncated to whole hertz, which
  // each instance's voices hand in.
  inline double NextSample(double frequency, double rate) noexcept { return NextSampleT<false>(frequency, rate); }
  // kFast takes sine and tangent from their polynomial forms (FastMath.h);
  // everything else is the same arithmetic.
  template <bool kFast>
  inline double NextSampleT(double frequency, double rate) noexcept;

  // Noise sources; both draw from the calling thread's random state.
  static double WhiteNoise() noexcept { return WhiteNoise(vorblex_random::ThreadState()); }
  inline double PinkNoise() noexcept { return PinkNoise(vorblex_random::ThreadState()); }
  // The same draws from a state the caller looked up once, the calling
  // thread's (vorblex_random::ThreadState()): a voice draws up to four times
  // a sample, and where thread-local storage is emulated each lookup costs.
  static double WhiteNoise(uint32_t& state) noexcept { return OverMaxDraw(static_cast<double>(Draw(state))) * 2.0 - 1.0; }
  // d / 32767 for a draw d (0 to 32767) without a division, bit for bit:
  // 32767 = 2^15 - 1, so d / 32767 = d (2^-15 + 2^-30 + 2^-45 + ...). The
  // first three terms times d are exact (45 bits), the next two (30 bits)
  // carry what the rounding needs, and their sum rounds to the quotient for
  // every draw. A double or four lanes.
  // Always inlined: the four lanes' form must be compiled inside the
  // caller's AVX2 code, not as a function of its own.
  static constexpr double kDrawHead = 0x1p-15 + 0x1p-30 + 0x1p-45;
  static constexpr double kDrawTail = 0x1p-60 + 0x1p-75;
  template <typename T>
  [[gnu::always_inline]] static T OverMaxDraw(T d) noexcept
  {
    return d * kDrawHead + d * kDrawTail;
  }
  // The same for a draw given times 2^16 (the generator's state with its
  // low half cleared), bit for bit: the factors scale by a power of two.
  template <typename T>
  [[gnu::always_inline]] static T OverMaxDrawTimes65536(T d) noexcept
  {
    return d * (kDrawHead * 0x1p-16) + d * (kDrawTail * 0x1p-16);
  }
  inline double PinkNoise(uint32_t& state) noexcept;

  void SetWaveform(int32_t waveform) noexcept { mWaveform = waveform; }
  void SetSquareDuty(double duty) noexcept { mSquareDuty = duty; }
  void SetPhase(double phase) noexcept { mPhase = phase; }
  void SetSecondPhase(double phase) noexcept { mSecondPhase = phase; }

  int32_t Waveform() const noexcept { return mWaveform; }
  double SquareDuty() const noexcept { return mSquareDuty; }
  double Phase() const noexcept { return mPhase; }
  double SecondPhase() const noexcept { return mSecondPhase; }
  double Output() const noexcept { return mOutput; }

private:
  // Runs four instances side by side and keeps their state in between.
  friend class VoiceLanes;

  static constexpr double kPi = 3.14159265358979323846;

  // RandomNext() on a given state.
  static int Draw(uint32_t& s) noexcept
  {
    s = s * vorblex_random::kMultiplier + vorblex_random::kIncrement;
    return static_cast<int>((s >> 16) & 0x7FFF);
  }
  static constexpr double kTwoPi = 2.0 * kPi;
  // 1 / 8820.22 s is the length of the saw's smoothed jump.
  static constexpr double kSawTransitionRate = 8820.22;


  void Wrap() noexcept
  {
    if (mPhase >= 1.0)
      mPhase -= 1.0;
  }
  template <bool kFast>
  inline double Saw(double frequency, double inc) noexcept;
  // 1 / (R / (scale x f)) for the last R and f: the same value without two
  // divisions per sample while the pitch rests. The fast form takes
  // (scale x f) x (1 / R), and the saw's transition scale with the one
  // division left, so a moving pitch costs one division instead of three.
  struct IncrementCache
  {
    double frequency = std::numeric_limits<double>::quiet_NaN();
    double rate = 0.0;
    double inc = 0.0;
    double sawScale = 0.0;  // kSawTransitionRate / f, fast form only
    bool fast = false;
    template <bool kFast = false>
    double Get(double f, double r, double scale) noexcept
    {
      if (f != frequency || r != rate || fast != kFast) {
        frequency = f;
        rate = r;
        fast = kFast;
        if (kFast) {
          inc = (scale * f) * (1.0 / r);
          sawScale = kSawTransitionRate / f;
        } else {
          inc = 1.0 / (r / (scale * f));  // scale 1 leaves f exact
        }
      }
      return inc;
    }
  };
  template <bool kFast = false>
  double Increment(double frequency, double rate) noexcept { return mIncrement.Get<kFast>(frequency, rate, 1.0); }

  double mPhase = 0.0;
  double mOutput = 0.0;
  double mSecondPhase = 0.0;
  double mSecondOutput = 0.0;
  float mPinkState0 = 0.0f;
  float mPinkState1 = 0.0f;
  float mPinkState2 = 0.0f;
  int32_t mWaveform = kOscSin;
  double mSquareDuty = 0.5;
  IncrementCache mIncrement;
  IncrementCache mSecondIncrement;
};

inline double Oscilator::PinkNoise(uint32_t& state) noexcept
{
  const float r1 = static_cast<float>(Draw(state));
  const float r2 = static_cast<float>(Draw(state));
  const float r3 = static_cast<float>(Draw(state));
  mPinkState0 = (mPinkState0 - r1) * 0.319f + r1;
  mPinkState1 = (mPinkState1 - r2) * 0.7756f + r2;
  mPinkState2 = (mPinkState2 - r3) * 0.9613f + r3;
  const float sum = mPinkState1 * 0.07113478f + mPinkState0 * 0.02109238f + mPinkState2 * 0.6887356f;
  return static_cast<double>(sum * 6.103702e-5f - 0.78096277f);
}

template <bool kFast>
inline double Oscilator::Saw(double frequency, double inc) noexcept
{
  if (mPhase >= 0.5)
    mPhase -= 1.0;
  mPhase += inc;
  const double p = mPhase;
  double e = kFast ? p * mIncrement.sawScale : p * kSawTransitionRate / frequency;
  if (!(std::fabs(e) <= 0.5))  // beyond the transition, or 0/0 at a frequency of 0
    e = e > 0.5 ? 0.5 : (e < -0.5 ? -0.5 : 0.0);
  const double x = 1000.0 * e + 500.0;
  // x lies in [0, 1000]. At exactly 1000 the next entry's weight would be 0;
  // taking the last pair with weight 1 gives the same value without reading
  // past the end.
  int i = static_cast<int>(x);
  if (i > kSawTableSize - 2)
    i = kSawTableSize - 2;
  const double t = x - i;
  mOutput = (1.0 - t) * kSawTable[i] + t * kSawTable[i + 1] - p;
  return mOutput;
}

template <bool kFast>
inline double Oscilator::NextSampleT(double frequency, double rate) noexcept
{
  // Per case, so "Off" and the noises skip the increment.
  switch (mWaveform) {
  case kOscTriangle: {
    Wrap();
    mPhase += Increment<kFast>(frequency, rate);
    const double p = mPhase;
    mOutput = p <= 0.5 ? 4.0 * (p - 0.25) : 4.0 * (0.75 - p);
    return mOutput;
  }
  case kOscSin:
    mOutput = kFast ? fastmath::SinCycles(mPhase) : std::sin(kTwoPi * mPhase);
    Wrap();
    mPhase += Increment<kFast>(frequency, rate);
    return mOutput;
  case kOscSquare: {
    double d = mSquareDuty;
    d = d < 0.0 ? 0.0 : (d > 1.0 ? 1.0 : d);
    Wrap();
    mPhase += Increment<kFast>(frequency, rate);
    const double p = mPhase;
    if (d > p)
      mOutput = -1.0;
    else if (d < p)
      mOutput = 1.0;
    return mOutput;
  }
  case kOscSaw:
    return Saw<kFast>(frequency, Increment<kFast>(frequency, rate));
  case kOscBreaker: {
    const double p = mPhase;
    mOutput = std::fabs(1.0 - 2.0 * p * p) - 1.0;
    Wrap();
    mPhase += Increment<kFast>(frequency, rate);
    return mOutput;
  }
  case kOscTan: {
    if (kFast) {
      mOutput = fastmath::ClippedTanCycles(mPhase);
    } else {
      const double t = std::tan(kPi * mPhase);
      mOutput = t > 1.0 ? 1.0 : (t < -1.0 ? -1.0 : t);
    }
    Wrap();
    mPhase += Increment<kFast>(frequency, rate);
    return mOutput;
  }
  case kOscWhistle: {
    mOutput = kFast ? fastmath::SinCycles(mPhase) : std::sin(kTwoPi * mPhase);
    Wrap();
    mPhase += Increment<kFast>(frequency, rate);
    mSecondOutput = kFast ? fastmath::SinCycles(mSecondPhase) : std::sin(kTwoPi * mSecondPhase);
    if (mSecondPhase >= 1.0)
      mSecondPhase -= 1.0;
    mSecondPhase += mSecondIncrement.Get<kFast>(frequency, rate, 20.0);
    return mOutput + 0.25 * mSecondOutput;
  }
  case kOscWhiteNoise:
    return WhiteNoise();
  case kOscPinkNoise:
    return PinkNoise();
  default:  // "Off" and unknown codes
    return 0.0;
  }
}
