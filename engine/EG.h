#pragma once
// Five-stage exponential envelope (attack, hold, decay, sustain, release).
// Each stage multiplies the level by a constant factor per sample; the stage
// changes, and with them the two signals, happen only at stage boundaries, so
// the per-sample step is a compare and a multiply.
#include <cstdint>

#include "engine/Signal.h"

enum EEnvelopeStage : int32_t
{
  kStageOff = 0,
  kStageAttack = 1,
  kStageHold = 2,
  kStageDecay = 3,
  kStageSustain = 4,
  kStageRelease = 5
};

class EG
{
public:
  static constexpr double kMinimumLevel = 1e-7;
  static constexpr int kStageValueCount = 7;

  EG() = default;
  virtual ~EG();
  EG(const EG&) = delete;
  EG& operator=(const EG&) = delete;

  // Emitted when the envelope leaves Off, and when it enters Off.
  Signal<> cycleBegan;
  Signal<> cycleFinished;

  void EnterStage(EEnvelopeStage stage) noexcept;
  // s = 1 to 5: attack, hold, decay, release times in seconds, sustain level.
  // A change to the running stage keeps the fraction already done and
  // re-aims the rest.
  void SetStageValue(EEnvelopeStage stage, double value) noexcept;
  void SetSampleRate(double sampleRate) noexcept { mSampleRate = sampleRate; }
  // Back to Off at the minimum level, without emitting cycle finished.
  void Reset() noexcept;

  inline double NextSample() noexcept;

  EEnvelopeStage Stage() const noexcept { return mStage; }
  double Level() const noexcept { return mLevel; }
  double Multiplier() const noexcept { return mMultiplier; }
  double SampleRate() const noexcept { return mSampleRate; }
  uint64_t CurrentSample() const noexcept { return mCurrentSample; }
  uint64_t NextStageSample() const noexcept { return mNextStageSample; }
  double StageValue(EEnvelopeStage stage) const noexcept
  {
    return stage >= 0 && stage < kStageValueCount ? mStageValues[stage] : 0.0;
  }

private:
  // Runs four instances side by side and keeps their state in between.
  friend class VoiceLanes;

  EEnvelopeStage mStage = kStageOff;
  double mLevel = kMinimumLevel;
  double mMultiplier = 1.0;
  double mSampleRate = 44100.0;
  uint64_t mCurrentSample = 0;
  uint64_t mNextStageSample = 0;
  double mStageValues[kStageValueCount] = {0.0, 0.001, 0.001, 0.001, 1.0, 0.2, kMinimumLevel};
};

inline double EG::NextSample() noexcept
{
  if (mStage != kStageOff && mStage != kStageSustain) {
    // ">=" rather than "==": a stage entered here with a count of 0 would
    // otherwise start one past its end and never finish.
    if (mCurrentSample >= mNextStageSample)
      EnterStage(static_cast<EEnvelopeStage>((mStage + 1) % 6));
    mLevel *= mMultiplier;
    ++mCurrentSample;
  }
  return mLevel;
}
