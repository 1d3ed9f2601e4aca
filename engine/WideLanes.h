#pragma once
// Whether this processor runs the engine's AVX2 code (the voice lanes, the
// decimator's blocks, the output curve). Decided once, while the module
// loads, so the audio path never waits on it. Builds that compile no AVX2
// code (clang, the fuzzing build) always answer no.
bool WideLanesAvailable() noexcept;
