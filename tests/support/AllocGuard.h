#pragma once
// Counts heap allocations made by the current thread while a guard is alive, so
// render tests can prove the audio path allocates nothing.
#include <cstddef>

class AllocGuard {
public:
  AllocGuard();
  ~AllocGuard();
  AllocGuard(const AllocGuard&) = delete;
  AllocGuard& operator=(const AllocGuard&) = delete;
  // Allocations by this thread since the guard was made.
  size_t Count() const;

private:
  size_t mStart;
  bool mWasActive;
};
