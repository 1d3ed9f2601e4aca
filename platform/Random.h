#pragma once
// The instrument's random source: the classic 15-bit linear congruential
// generator, with one state per thread. Noise sources draw from the audio
// thread's state, the sound design tools from the editor thread's state, so the
// two never disturb each other's sequence.
#include <cstdint>

namespace vorblex_random {
constexpr uint32_t kMultiplier = 214013u;
constexpr uint32_t kIncrement = 2531011u;
constexpr int kRandomMax = 0x7FFF;

// The calling thread's state; starts at 1 on every new thread.
uint32_t& ThreadState() noexcept;
}  // namespace vorblex_random

// Next integer 0..32767 from the calling thread's state.
inline int RandomNext() noexcept
{
  uint32_t& s = vorblex_random::ThreadState();
  s = s * vorblex_random::kMultiplier + vorblex_random::kIncrement;
  return static_cast<int>((s >> 16) & 0x7FFF);
}

// Seeds the calling thread's state (what constructing an oscillator does with
// the current time in seconds).
void RandomSeed(uint32_t seed) noexcept;
// Reads the calling thread's state, so a caller can save and restore it.
uint32_t RandomState() noexcept;
// Seeds the calling thread's state with the current time in seconds.
void RandomSeedFromTime() noexcept;
