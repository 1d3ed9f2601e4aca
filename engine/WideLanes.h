#pragma once
// Whether this processor runs the engine's AVX2 code (the voice lanes, the
// decimator's blocks, the output curve). Decided once, while the module
// loads, so the audio path never waits on it. Builds that compile no AVX2
// code (clang, the fuzzing build) always answer no.
bool WideLanesAvailable() noexcept;

// Whether the eight-lane (AVX-512) forms run: the processor has AVX-512F
// and AVX-512DQ besides AVX2, and the kEightLanes technique is on. Read on
// every call, so tests can switch the technique.
bool EightLanesAvailable() noexcept;

// Whether the eight-lane forms also run with fused multiply-adds: they run,
// the processor has FMA, and the kFusedMultiplyAdd technique is on.
bool FusedLanesAvailable() noexcept;
