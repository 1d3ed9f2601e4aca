#pragma once
// Counting of operator new calls on the calling thread. The test program
// replaces the global allocation functions; a natively built module that uses
// the shared C++ runtime allocates through them too, so its allocations are
// counted as well. A module with its own runtime (a Windows DLL linked
// statically) is invisible here.

namespace vst2host {

// Counts allocations of the calling thread from construction to destruction.
class AllocationScope {
public:
  AllocationScope();
  ~AllocationScope();
  AllocationScope(const AllocationScope&) = delete;
  AllocationScope& operator=(const AllocationScope&) = delete;
  long Count() const { return mCount; }

private:
  long mCount = 0;
  long* mPrevious;
};

// Suspends counting on the calling thread, so the test host's own work (its
// callback records) is not blamed on the plug-in.
class AllocationPause {
public:
  AllocationPause();
  ~AllocationPause();
  AllocationPause(const AllocationPause&) = delete;
  AllocationPause& operator=(const AllocationPause&) = delete;
};

}  // namespace vst2host
