#include "platform/Mutex.h"

RecursiveMutex::RecursiveMutex() = default;
RecursiveMutex::~RecursiveMutex() = default;
void RecursiveMutex::Lock() noexcept { mMutex.lock(); }
void RecursiveMutex::Unlock() noexcept { mMutex.unlock(); }
