// Calls from several threads at once, as hosts make them: the audio thread
// processing, the user-interface thread saving and restoring state and asking
// for texts, an automation thread setting values; and many instances made and
// run side by side. Built with ThreadSanitizer, these find the races.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <random>
#include <thread>

#include "plugin/ParamTable.h"
#include "tests/hosts/vst3/TestHost.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace vst3host {
namespace {

bool AllFinite(const BlockResult& r)
{
  for (const auto& channel : r.out)
    for (double s : channel)
      if (!std::isfinite(s)) return false;
  return true;
}

TEST(Threaded, AudioControllerAndAutomationAtOnce)
{
  constexpr int kBlocks = 1000;
  auto plugin = Plugin::Create();
  ASSERT_NE(plugin, nullptr);
  plugin->Start(44100.0, 256);
  const std::vector<uint8> initial = plugin->GetState();

  std::atomic<bool> stop{false};
  std::atomic<int> badBlocks{0}, blocks{0}, ready{0};
  // The three start together, so their calls overlap from the first block on.
  auto startTogether = [&ready] {
    ++ready;
    while (ready.load() < 3) std::this_thread::yield();
  };

  std::thread audio([&] {
    startTogether();
    std::mt19937 random(1);
    for (int i = 0; i < kBlocks; ++i) {
      BlockSpec block;
      block.frames = 1 + static_cast<int32>(random() % 256);
      block.sampleSize = i % 2 ? kSample64 : kSample32;
      block.notes.push_back({0, true, 40 + static_cast<int>(random() % 40), 0.8f});
      block.notes.push_back({block.frames - 1, false, 50, 0.0f});
      // Changes at both edges of the block, while the automation thread
      // sets values from outside it.
      block.queues = {{{kOutputGain, 0, (random() % 100) / 100.0}},
                     {{kFilterLPCutoff, block.frames / 2, (random() % 100) / 100.0}},
                     {{kOsc1Level, 0, (random() % 100) / 100.0}, {kOsc1Level, block.frames - 1, (random() % 100) / 100.0}}};
      if (i % 50 == 7) block.queues.push_back({{kPresetID, 0, 0.5}});
      BlockResult r = plugin->Process(block);
      if (r.result != kResultOk || !AllFinite(r)) ++badBlocks;
      ++blocks;
    }
    stop = true;
  });

  std::thread ui([&] {
    startTogether();
    int rounds = 0;
    while (!stop || rounds < 5) {
      std::vector<uint8> state = plugin->GetState();
      if (state.size() != static_cast<size_t>(kStateSize)) ADD_FAILURE() << "state of " << state.size() << " bytes";
      plugin->SetState(rounds % 2 ? state : initial);
      for (ParamID id = 0; id < 60; id += 7) plugin->ParamString(id, 0.5);
      String128 name;
      if (plugin->units) plugin->units->getProgramName(kPresetID, 0, name);
      BusInfo info;
      plugin->component->getBusInfo(kAudio, kOutput, 0, info);
      ++rounds;
    }
  });

  std::thread automation([&] {
    startTogether();
    std::mt19937 random(2);
    while (!stop) {
      const ParamID id = static_cast<ParamID>(random() % kParamCount);
      plugin->controller->setParamNormalized(id, (random() % 1000) / 1000.0);
      const double v = plugin->controller->getParamNormalized(id);
      if (!(v >= 0.0 && v <= 1.0)) ADD_FAILURE() << "parameter " << id << " reads " << v;
      plugin->controller->getParamNormalized(kBypassID);
    }
  });

  audio.join();
  ui.join();
  automation.join();
  EXPECT_EQ(blocks.load(), kBlocks);
  EXPECT_EQ(badBlocks.load(), 0);
}

TEST(Threaded, ManyInstancesMadeAndRunSideBySide)
{
  constexpr int kThreads = 4;
  constexpr int kPerThread = 6;
  const std::vector<Note> notes = {{10, true, 69, 1.0f}, {3000, false, 69, 0.0f}};

  // Every instance renders the same notes; the probe's renders must agree.
  std::vector<std::vector<double>> renders(kThreads * kPerThread);
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      std::vector<std::unique_ptr<Plugin>> mine;
      for (int k = 0; k < kPerThread; ++k) {
        auto plugin = Plugin::Create();
        if (!plugin) {
          ++failures;
          continue;
        }
        plugin->Start(44100.0, 512);
        mine.push_back(std::move(plugin));
      }
      for (size_t k = 0; k < mine.size(); ++k) {
        renders[static_cast<size_t>(t * kPerThread) + k] = mine[k]->Render(4096, 512, notes);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
  for (const auto& render : renders) {
    ASSERT_EQ(render.size(), 4096u);
    if (IsProbe()) {
      EXPECT_EQ(render, renders.front());
    }
  }
}

TEST(Threaded, SixtyFourInstancesAliveAtOnce)
{
  std::vector<std::unique_ptr<Plugin>> plugins;
  for (int i = 0; i < 64; ++i) {
    auto plugin = Plugin::Create();
    ASSERT_NE(plugin, nullptr) << i;
    plugin->Start(44100.0, 128);
    plugins.push_back(std::move(plugin));
  }
  for (size_t i = 0; i < plugins.size(); ++i) {
    plugins[i]->controller->setParamNormalized(kOutputGain, static_cast<double>(i) / 64.0);
  }
  for (size_t i = 0; i < plugins.size(); ++i) {
    BlockSpec block;
    block.frames = 128;
    block.notes = {{0, true, 60, 1.0f}};
    EXPECT_EQ(plugins[i]->Process(block).result, kResultOk);
    EXPECT_DOUBLE_EQ(plugins[i]->Normalized(kOutputGain), static_cast<double>(i) / 64.0) << "instances stay apart";
  }
  // Processing in turn, as a host with 64 tracks does: each instance keeps
  // its own voice and every block is finite.
  for (int round = 0; round < 16; ++round) {
    for (size_t i = 0; i < plugins.size(); ++i) {
      BlockSpec block;
      block.frames = 128;
      if (round == 8) block.notes = {{0, false, 60, 0.0f}};
      BlockResult r = plugins[i]->Process(block);
      ASSERT_EQ(r.result, kResultOk) << i;
      ASSERT_TRUE(AllFinite(r)) << i;
    }
  }
  // Release in an order unlike creation.
  for (size_t i = 0; i < plugins.size(); i += 2) plugins[i].reset();
  plugins.clear();
}

}  // namespace
}  // namespace vst3host
