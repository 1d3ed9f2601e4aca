#include "platform/Mutex.h"

#include <windows.h>

#include <new>

static_assert(sizeof(CRITICAL_SECTION) <= 64, "critical section storage too small");

static CRITICAL_SECTION* Section(unsigned char* storage)
{
  return reinterpret_cast<CRITICAL_SECTION*>(storage);
}

RecursiveMutex::RecursiveMutex() { InitializeCriticalSection(Section(mStorage)); }
RecursiveMutex::~RecursiveMutex() { DeleteCriticalSection(Section(mStorage)); }
void RecursiveMutex::Lock() noexcept { EnterCriticalSection(Section(mStorage)); }
void RecursiveMutex::Unlock() noexcept { LeaveCriticalSection(Section(mStorage)); }
