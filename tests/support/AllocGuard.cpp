#include "support/AllocGuard.h"

#include <cstdlib>
#include <new>

namespace {
thread_local size_t tCount = 0;
thread_local bool tActive = false;

void* CountedAlloc(size_t size)
{
  if (tActive) ++tCount;
  if (size == 0) size = 1;
  if (void* p = std::malloc(size)) return p;
  throw std::bad_alloc();
}
}  // namespace

AllocGuard::AllocGuard() : mStart(tCount), mWasActive(tActive) { tActive = true; }
AllocGuard::~AllocGuard() { tActive = mWasActive; }
size_t AllocGuard::Count() const { return tCount - mStart; }

void* operator new(size_t size) { return CountedAlloc(size); }
void* operator new[](size_t size) { return CountedAlloc(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept
{
  try {
    return CountedAlloc(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
  try {
    return CountedAlloc(size);
  } catch (...) {
    return nullptr;
  }
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
