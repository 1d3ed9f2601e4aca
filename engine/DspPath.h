#pragma once
// Which arithmetic the per-sample code runs, as a set of techniques, each of
// which can be switched on its own (the benchmark measures them one by one):
//  - kFastTrig: sines and tangents (oscillators, filter coefficients) from
//    polynomial and rational forms, a filter's g and h from one division
//    and its angle as cutoff x (pi / rate), the oscillators' increments as
//    f x (1 / R);
//  - kFastPow: the pitch sweep's t^curve from polynomial log2 and exp2, with
//    t from the sweep's reciprocal length, and past its first 4096 samples
//    once per span of 4 to 32 samples, carried between by a series
//    (PitchEnvelope.h);
//  - kFastFilter: the voice filters' sums regrouped for shorter dependency
//    chains, the velocity applied as one factor;
//  - kFastDecimator: the decimator's sum regrouped likewise;
//  - kFastVoices: the processor renders a run of samples at a time between
//    events, the four voices side by side in vector lanes (VoiceLanes.h);
//    the lanes always take the first three techniques' arithmetic;
//  - kDecimatorBlocks: within those runs, the decimator takes eight inputs
//    at a time, its eight outputs worked out from the previous eight at once
//    instead of one after another;
//  - kLoneVoice: within those runs, a voice that sounds alone renders four
//    consecutive samples side by side in the vector lanes (phases, envelopes
//    and steady filters stepped four samples at a time);
//  - kEightLanes: where the processor has AVX-512, the output curve and
//    flush, and in the voice lanes the pitch, the oscillators, the mix and
//    the moving filters' coefficients take eight doubles per instruction
//    instead of four (two samples of the four voices side by side), and
//    the lanes of several voices run compiled for it; every lane takes the
//    same steps, so the bits are the same;
//  - kFusedMultiplyAdd: where the eight lanes run, they run compiled with
//    fused multiply-adds (a product and the sum that takes it rounded once),
//    except where the oscillators' phases take their increments and in the
//    pink noise's single-precision filters (VoiceLanes.cpp's Rounded()); and
//    while the pitch moves, two pairs of samples share the saw's division.
// kDecimatorBlocks and kLoneVoice change the order of the arithmetic across
// samples, and kFusedMultiplyAdd its rounding, so their bits differ from
// the one-sample-at-a-time forms by rounding.
// All of them (the default) agree with none of them, the exact arithmetic,
// within 1e-7 on the output: the agreement tests and the benchmarks compare
// against kDspExact. The choice is process-wide and meant to be made before
// audio runs.
#include <atomic>

enum EDspTechnique : int
{
  kDspExact = 0,
  kFastTrig = 1,
  kFastPow = 2,
  kFastFilter = 4,
  kFastDecimator = 8,
  kFastVoices = 16,
  kDecimatorBlocks = 32,
  kLoneVoice = 64,
  kEightLanes = 128,
  kFusedMultiplyAdd = 256,
  kAllTechniques = 511
};

namespace dsp_path_detail {
inline std::atomic<int> gTechniques{kAllTechniques};
}  // namespace dsp_path_detail

inline int DspTechniques() noexcept { return dsp_path_detail::gTechniques.load(std::memory_order_relaxed); }

inline void SetDspTechniques(int techniques) noexcept
{
  dsp_path_detail::gTechniques.store(techniques & kAllTechniques, std::memory_order_relaxed);
}
