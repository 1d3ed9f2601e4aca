#include "engine/EG.h"

#include <cmath>

#include "engine/SampleCount.h"

namespace {
// Per-sample factor that takes `level` to `target` in `count` samples. A count
// of 0 (the stage ends at the next sample) or a level of 0 has no finite
// factor; the level is then held instead of becoming infinite or NaN.
double SegmentMultiplier(double target, double level, double count) noexcept
{
  const double m = 1.0 + (std::log(target) - std::log(level)) / count;
  return std::isfinite(m) ? m : 1.0;
}
}  // namespace

EG::~EG() = default;

void EG::Reset() noexcept
{
  mStage = kStageOff;
  mLevel = kMinimumLevel;
  mMultiplier = 1.0;
  mCurrentSample = 0;
  mNextStageSample = 0;
}

void EG::EnterStage(EEnvelopeStage stage) noexcept
{
  if (stage == mStage || stage < kStageOff || stage > kStageRelease)
    return;
  if (mStage == kStageOff)
    cycleBegan.Emit();
  if (stage == kStageOff) {
    cycleFinished.Emit();
    mStage = kStageOff;
    mCurrentSample = 0;
    mNextStageSample = 0;
    return;
  }

  mStage = stage;
  mCurrentSample = 0;
  mNextStageSample = stage == kStageSustain ? 0 : ToSampleCount(mStageValues[stage] * mSampleRate);
  const double count = static_cast<double>(mNextStageSample);
  const double sustain = mStageValues[kStageSustain];
  switch (stage) {
  case kStageAttack:
    mLevel = kMinimumLevel;
    mMultiplier = SegmentMultiplier(1.0, kMinimumLevel, count);
    break;
  case kStageHold:
    mLevel = 1.0;
    mMultiplier = SegmentMultiplier(1.0, 1.0, count);
    break;
  case kStageDecay:
    mLevel = 1.0;
    mMultiplier = SegmentMultiplier(std::fmax(sustain, kMinimumLevel), 1.0, count);
    break;
  case kStageSustain:
    mLevel = sustain;
    mMultiplier = 1.0;
    break;
  case kStageRelease:
    mMultiplier = SegmentMultiplier(kMinimumLevel, mLevel, count);
    break;
  default:
    break;
  }
}

void EG::SetStageValue(EEnvelopeStage stage, double value) noexcept
{
  if (stage < kStageAttack || stage > kStageRelease)
    return;
  mStageValues[stage] = value;

  if (stage == mStage && stage != kStageSustain) {
    double target = 1.0;
    if (stage == kStageDecay)
      target = std::fmax(mStageValues[kStageSustain], kMinimumLevel);
    else if (stage == kStageRelease)
      target = kMinimumLevel;
    const double done = static_cast<double>(mCurrentSample) / static_cast<double>(mNextStageSample);
    const uint64_t remaining = ToSampleCount((1.0 - done) * value * mSampleRate);
    mNextStageSample = mCurrentSample + remaining;
    mMultiplier = SegmentMultiplier(target, mLevel, static_cast<double>(remaining));
  } else if (stage == mStage) {
    mLevel = value;
  }

  if (mStage == kStageDecay && stage == kStageSustain) {
    const double left = static_cast<double>(mNextStageSample - mCurrentSample);
    mMultiplier = SegmentMultiplier(std::fmax(mStageValues[kStageSustain], kMinimumLevel), mLevel, left);
  }
}
