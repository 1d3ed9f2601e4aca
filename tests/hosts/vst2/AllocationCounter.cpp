#include "tests/hosts/vst2/AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace vst2host {
namespace {

thread_local long* tCounter = nullptr;
thread_local int tPaused = 0;

void* CountedAllocate(std::size_t size)
{
  if (tCounter && tPaused == 0)
    ++*tCounter;
  return std::malloc(size ? size : 1);
}

}  // namespace

AllocationScope::AllocationScope() : mPrevious(tCounter)
{
  tCounter = &mCount;
}

AllocationScope::~AllocationScope()
{
  tCounter = mPrevious;
}

AllocationPause::AllocationPause()
{
  ++tPaused;
}

AllocationPause::~AllocationPause()
{
  --tPaused;
}

}  // namespace vst2host

void* operator new(std::size_t size)
{
  void* p = vst2host::CountedAllocate(size);
  if (!p)
    throw std::bad_alloc();
  return p;
}

void* operator new[](std::size_t size)
{
  return operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
  return vst2host::CountedAllocate(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
  return vst2host::CountedAllocate(size);
}

void operator delete(void* p) noexcept
{
  std::free(p);
}

void operator delete[](void* p) noexcept
{
  std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
  std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
  std::free(p);
}

void operator delete(void* p, const std::nothrow_t&) noexcept
{
  std::free(p);
}

void operator delete[](void* p, const std::nothrow_t&) noexcept
{
  std::free(p);
}
