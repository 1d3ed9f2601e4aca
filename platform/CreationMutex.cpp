#include "platform/Mutex.h"

RecursiveMutex& ModuleCreationMutex()
{
  static RecursiveMutex mutex;
  return mutex;
}
