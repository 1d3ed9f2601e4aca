// Instances created on several threads at once, and one instance driven from
// an audio thread, a user-interface thread and an automation thread at the
// same time. These run apart from the rest (label "threaded") so the
// ThreadSanitizer build can run just them.
#include "tests/hosts/vst2/Fixtures.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <random>
#include <thread>

namespace vst2host {
namespace {

TEST(Vst2Threads, InstancesCreatedOnSeveralThreadsAtOnce)
{
  constexpr int kThreads = 4;
  constexpr int kRounds = 6;
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &failures] {
      for (int round = 0; round < kRounds; ++round) {
        Host host;
        auto plugin = Plugin::Create(host);
        if (!plugin) {
          ++failures;
          continue;
        }
        plugin->Start(44100.0f + 100.0f * static_cast<float>(t), 128);
        plugin->Set(0, 0.5f);
        Rendered r = Render(*plugin, {{0, kNoteOn, static_cast<unsigned char>(60 + t), 127}}, 512);
        if (!AllFinite(r.left) || PeakAbs(r.left) == 0.0 || r.left != r.right)
          ++failures;
        if (plugin->GetChunk(false).size() != static_cast<std::size_t>(kProgramChunkSize))
          ++failures;
      }
    });
  }
  for (auto& th : threads)
    th.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(Host::StrayCalls(), 0);
}

// The host's audio thread renders while its user-interface thread reads and
// writes parameters, displays, chunks and programs and an automation thread
// moves parameters, all against one instance.
TEST(Vst2Threads, AudioUiAndAutomationThreadsTogether)
{
  Host host;
  auto plugin = Plugin::Create(host);
  ASSERT_NE(plugin, nullptr);
  plugin->Start(44100.0f, 256);
  vst2::Entry* e = plugin->Entry();
  // Output gain can reach +12 dB; the compression curve is clamped to +-2.
  const double bound = 2.0 * std::pow(10.0, 12.0 / 20.0) + 1e-6;

  std::atomic<bool> stop{false};
  std::atomic<int> audioFailures{0}, uiFailures{0}, automationFailures{0};
  std::atomic<long> blocks{0}, uiRounds{0}, automations{0};

  std::thread audio([&] {
    std::mt19937 rng(1);
    std::vector<float> fl(256), fr(256);
    std::vector<double> dl(256), dr(256);
    while (!stop) {
      std::vector<Midi> events;
      int n = static_cast<int>(rng() % 4);
      for (int i = 0; i < n; ++i)
        events.push_back({static_cast<std::int64_t>(rng() % 256), static_cast<unsigned char>(rng() % 2 ? 0x90 : 0x80),
                          static_cast<unsigned char>(36 + rng() % 60), static_cast<unsigned char>(1 + rng() % 127)});
      if (!events.empty())
        plugin->SendMidi(events);
      bool useDouble = rng() % 2;
      float* fOut[2] = {fl.data(), fr.data()};
      double* dOut[2] = {dl.data(), dr.data()};
      if (useDouble)
        e->processDoubleReplacing(e, dOut, dOut, 256);
      else
        e->processReplacing(e, fOut, fOut, 256);
      for (int i = 0; i < 256; ++i) {
        double l = useDouble ? dl[static_cast<std::size_t>(i)] : fl[static_cast<std::size_t>(i)];
        double r = useDouble ? dr[static_cast<std::size_t>(i)] : fr[static_cast<std::size_t>(i)];
        if (!std::isfinite(l) || std::fabs(l) > bound || l != r) {
          ++audioFailures;
          break;
        }
      }
      ++blocks;
      // A device hands out blocks at its own pace; a loop that re-takes the
      // plug-in mutex at once would starve the other threads on platforms
      // whose locks are not fair, which says nothing about the plug-in.
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
  });

  std::thread ui([&] {
    std::mt19937 rng(2);
    while (!stop) {
      int index = static_cast<int>(rng() % kParamCount);
      if (plugin->Name(index) != kParams[index].name)
        ++uiFailures;
      std::string display = plugin->Display(index);
      if (display.empty() || display.size() > 31)
        ++uiFailures;
      plugin->Label(index);
      std::vector<unsigned char> program = plugin->GetChunk(false);
      if (program.size() != static_cast<std::size_t>(kProgramChunkSize) || ReadU32(program, 0) != kChunkMagic)
        ++uiFailures;
      else if (plugin->SetChunk(false, program) != 1)
        ++uiFailures;
      std::vector<unsigned char> bank = plugin->GetChunk(true);
      if (bank.size() < static_cast<std::size_t>(kBankChunkSize))
        ++uiFailures;
      else if (rng() % 4 == 0 && plugin->SetChunk(true, bank) != 1)
        ++uiFailures;
      plugin->Dispatch(vst2::op::kSetProgram, 0, static_cast<std::intptr_t>(rng() % 3) - 1);
      if (plugin->Dispatch(vst2::op::kGetProgram) != 0)
        ++uiFailures;
      if (plugin->ProgramName().empty())
        ++uiFailures;
      char text[] = "Saw";
      plugin->StringToParameter(1 + static_cast<int>(rng() % 3), text);
      char buf[64];
      plugin->Dispatch(vst2::op::kVendorSpecific, 7, index, buf, 0.5f);
      plugin->Dispatch(vst2::op::kEditIdle);
      ++uiRounds;
    }
  });

  std::thread automation([&] {
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    while (!stop) {
      int index = static_cast<int>(rng() % kParamCount);
      plugin->Set(index, unit(rng));
      float v = plugin->Get(static_cast<int>(rng() % kParamCount));
      if (!(v >= 0.0f && v <= 1.0f))
        ++automationFailures;
      ++automations;
      if (automations % 16 == 0)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  });

  // At least two seconds, and until every thread has had its turns: a loaded
  // machine (or Wine's scheduler) may starve one thread for a while.
  const auto begin = std::chrono::steady_clock::now();
  for (;;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const auto elapsed = std::chrono::steady_clock::now() - begin;
    const bool enough = blocks.load() > 10 && uiRounds.load() > 10 && automations.load() > 100;
    if ((elapsed >= std::chrono::seconds(2) && enough) || elapsed >= std::chrono::seconds(60)) break;
  }
  stop = true;
  audio.join();
  ui.join();
  automation.join();

  EXPECT_EQ(audioFailures.load(), 0);
  EXPECT_EQ(uiFailures.load(), 0);
  EXPECT_EQ(automationFailures.load(), 0);
  EXPECT_GT(blocks.load(), 10);
  EXPECT_GT(uiRounds.load(), 10);
  EXPECT_GT(automations.load(), 100);
  // Still answering afterwards.
  EXPECT_EQ(plugin->Dispatch(vst2::op::kIdentify), 0x4E764566);
  EXPECT_EQ(plugin->GetChunk(false).size(), static_cast<std::size_t>(kProgramChunkSize));
}

}  // namespace
}  // namespace vst2host
