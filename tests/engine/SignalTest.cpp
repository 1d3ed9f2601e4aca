#include <gtest/gtest.h>

#include <vector>

#include "engine/Signal.h"
#include "support/AllocGuard.h"

namespace {
struct Recorder
{
  std::vector<int>* log;
  int id;
  void Note(int note, int velocity) { log->push_back(id * 1000 + note + velocity); }
  void Other(int note, int) { log->push_back(-id * 1000 - note); }
};
}  // namespace

TEST(EngineSignal, EmitsToEachListenerOnceInConnectionOrder)
{
  std::vector<int> log;
  log.reserve(64);
  Recorder a{&log, 1}, b{&log, 2};
  Signal<int, int> signal;
  EXPECT_TRUE(signal.Connect<&Recorder::Note>(&b));
  EXPECT_TRUE(signal.Connect<&Recorder::Note>(&a));
  EXPECT_TRUE(signal.Connect<&Recorder::Note>(&b));  // same pair: kept once
  EXPECT_TRUE(signal.Connect<&Recorder::Other>(&b));  // same object, other callback
  EXPECT_EQ(signal.ListenerCount(), 3);

  AllocGuard guard;
  signal.Emit(60, 5);
  EXPECT_EQ(guard.Count(), 0u);
  EXPECT_EQ(log, (std::vector<int>{2065, 1065, -2060}));
}

TEST(EngineSignal, AnEmptySignalDoesNothingAndAFullOneRefuses)
{
  Signal<> empty;
  empty.Emit();
  EXPECT_EQ(empty.ListenerCount(), 0);

  std::vector<int> log;
  std::vector<Recorder> recorders;
  for (int i = 0; i <= Signal<int, int>::kMaxListeners; ++i)
    recorders.push_back(Recorder{&log, i});
  Signal<int, int> signal;
  for (int i = 0; i < Signal<int, int>::kMaxListeners; ++i)
    EXPECT_TRUE(signal.Connect<&Recorder::Note>(&recorders[i]));
  EXPECT_FALSE(signal.Connect<&Recorder::Note>(&recorders.back()));
  EXPECT_FALSE(signal.Connect(nullptr, nullptr));
  signal.Emit(1, 0);
  EXPECT_EQ(log.size(), static_cast<size_t>(Signal<int, int>::kMaxListeners));
}
