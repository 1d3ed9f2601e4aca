#include "engine/PitchEnvelope.h"

#include "engine/SampleCount.h"

PitchEnvelope::PitchEnvelope() noexcept
    : mHighFrequency(NoteToFrequency(96)), mLowFrequency(NoteToFrequency(12))
{
}

PitchEnvelope::~PitchEnvelope() = default;

void PitchEnvelope::Start() noexcept
{
  mSampleCounter = 0;
  mTotalSamples = ToSampleCount(mDuration * mSampleRate);
  mInverseTotal = 1.0 / static_cast<double>(mTotalSamples);
  mSeriesAt = -1.0;
}
