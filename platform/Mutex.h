#pragma once
// Recursive mutex: a critical section on Windows, std::recursive_mutex elsewhere.
// The plug-in base owns one per instance; each module owns one more that
// serialises the creation of instances.
#ifdef _WIN32
#include <cstddef>
#else
#include <mutex>
#endif

class RecursiveMutex {
public:
  RecursiveMutex();
  ~RecursiveMutex();
  RecursiveMutex(const RecursiveMutex&) = delete;
  RecursiveMutex& operator=(const RecursiveMutex&) = delete;

  void Lock() noexcept;
  void Unlock() noexcept;

private:
#ifdef _WIN32
  // Storage for a CRITICAL_SECTION; only platform/win32 sees its definition.
  alignas(8) unsigned char mStorage[64];
#else
  std::recursive_mutex mMutex;
#endif
};

class MutexLock {
public:
  explicit MutexLock(RecursiveMutex& m) noexcept : mMutex(m) { mMutex.Lock(); }
  ~MutexLock() { mMutex.Unlock(); }
  MutexLock(const MutexLock&) = delete;
  MutexLock& operator=(const MutexLock&) = delete;

private:
  RecursiveMutex& mMutex;
};

// The module-wide mutex under which adapters construct plug-in instances.
RecursiveMutex& ModuleCreationMutex();
