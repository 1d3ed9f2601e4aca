#include "platform/Random.h"

#include <ctime>

uint32_t& vorblex_random::ThreadState() noexcept
{
  static thread_local uint32_t state = 1;
  return state;
}

void RandomSeed(uint32_t seed) noexcept { vorblex_random::ThreadState() = seed; }

uint32_t RandomState() noexcept { return vorblex_random::ThreadState(); }

void RandomSeedFromTime() noexcept { RandomSeed(static_cast<uint32_t>(std::time(nullptr))); }
