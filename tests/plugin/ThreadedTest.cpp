#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <random>
#include <thread>

#include "editor/headless/IGraphicsHeadless.h"
#include "support/Render.h"
#include "tests/plugin/ToolsHarness.h"

// The audio thread renders while a user-interface thread edits parameters,
// saves and restores state and recalls presets, and an automation thread moves
// parameters as a host would: everything meets under the plug-in mutex.
TEST(Threaded, AudioUiAndAutomationThreadsTogether)
{
  Vorblex plug;
  plug.SetHostSampleRate(48000);
  plug.SetHostBlockSize(256);
  std::atomic<bool> stop{false};
  std::atomic<long> blocks{0};

  std::thread audio([&] {
    std::vector<double> l(256), r(256);
    double* outs[2] = {l.data(), r.data()};
    int note = 40;
    while (!stop) {
      plug.AddMidi(NoteOn(0, note));
      plug.AddMidi(NoteOff(128, note));
      note = 40 + (note + 7) % 40;
      plug.ProcessBlock(outs, 2, 256);
      for (double v : l) ASSERT_TRUE(std::isfinite(v));
      ++blocks;
    }
  });
  std::thread automation([&] {
    std::mt19937 rng(7);
    while (!stop) {
      const int idx = static_cast<int>(rng() % kParamCount);
      MutexLock lock(plug.Mutex());
      plug.GetParameter(idx)->SetNormalized((rng() % 1000) / 999.0);
      plug.OnParameterChange(idx);
    }
  });
  std::thread ui([&] {
    std::mt19937 rng(11);
    IStateChunk saved;
    plug.SerializeState(saved);
    while (!stop) {
      plug.SetParameterFromEditor(static_cast<int>(rng() % kParamCount), (rng() % 1000) / 999.0);
      IStateChunk chunk;
      plug.SerializeState(chunk);
      EXPECT_EQ(chunk.Size(), 484);
      plug.UnserializeState(saved, 0);
      {
        MutexLock lock(plug.Mutex());
        plug.RecallPreset(0);
        char text[kParamTextSize];
        plug.GetParameter(static_cast<int>(rng() % kParamCount))->FormatDisplay(text);
      }
    }
  });

  // Two seconds at most once the audio thread has had its turns; a loaded
  // machine may hold it back for a while.
  const auto begin = std::chrono::steady_clock::now();
  for (;;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const auto elapsed = std::chrono::steady_clock::now() - begin;
    if (blocks >= 4000 || (blocks > 10 && elapsed >= std::chrono::seconds(2)) || elapsed >= std::chrono::seconds(60)) break;
  }
  stop = true;
  audio.join();
  automation.join();
  ui.join();
  EXPECT_GT(blocks.load(), 10);
}

// The editor's window comes and goes, ticks and draws, and its keyboard is
// played while the audio thread renders and feeds the meters: nothing on the
// audio side waits for the editor, and closing in the middle is safe.
TEST(Threaded, EditorOpensDrawsAndClosesWhileAudioRuns)
{
  Vorblex plug;
  plug.SetHostSampleRate(48000);
  plug.SetHostBlockSize(256);
  auto& g = *static_cast<IGraphicsHeadless*>(plug.GetEditor());
  std::atomic<bool> stop{false};
  std::atomic<long> blocks{0};
  std::atomic<bool> sounded{false};

  std::thread audio([&] {
    std::vector<double> l(256), r(256);
    double* outs[2] = {l.data(), r.data()};
    while (!stop) {
      plug.ProcessBlock(outs, 2, 256);
      for (double v : l) {
        ASSERT_TRUE(std::isfinite(v));
        if (v != 0.0) sounded = true;
      }
      ++blocks;
    }
  });

  const IRect keys = g.GetControl(1)->GetRECT();
  const int x = (keys.L + keys.R) / 2, y = keys.B - 4;
  int cycles = 0;
  const auto begin = std::chrono::steady_clock::now();
  while (cycles < 200 || blocks < 20) {
    g.OpenWindow(nullptr);
    g.Tick();
    g.OnMouseDown(x, y, IMouseMod(true));
    g.Tick();
    if (cycles % 2) g.OnMouseUp(x, y, IMouseMod(true));
    g.CloseWindow();
    ++cycles;
    if (std::chrono::steady_clock::now() - begin > std::chrono::seconds(60)) break;
  }
  g.OnMouseUp(x, y, IMouseMod(true));
  stop = true;
  audio.join();
  EXPECT_GT(blocks.load(), 10);
  EXPECT_TRUE(sounded.load()) << "the keyboard played while the window came and went";
}

// The sound tools on the editor thread read parameter values while the audio
// thread renders and automation writes values under the mutex, as the VST3
// process does: no read may race a write.
TEST(Threaded, ToolsReadUnderTheMutexWhileAutomationWrites)
{
  ToolsHarness h;
  Vorblex& plug = h.mPlug;
  // The harness's editor has no keyboard or meters of the layout's.
  plug.SetKeyboard(nullptr);
  plug.SetMeterIndices(-1, -1);
  plug.SetHostBlockSize(128);
  std::atomic<bool> stop{false};
  std::atomic<long> blocks{0}, tools{0};

  std::thread audio([&] {
    std::vector<double> l(128), r(128);
    double* outs[2] = {l.data(), r.data()};
    while (!stop) {
      plug.AddMidi(NoteOn(0, 60));
      plug.AddMidi(NoteOff(64, 60));
      plug.ProcessBlock(outs, 2, 128);
      for (double v : l) ASSERT_TRUE(std::isfinite(v));
      ++blocks;
    }
  });
  std::thread automation([&] {
    std::mt19937 rng(5);
    while (!stop) {
      const int idx = static_cast<int>(rng() % kParamCount);
      MutexLock lock(plug.Mutex());
      plug.GetParameter(idx)->SetNormalized((rng() % 1000) / 999.0);
      plug.OnParameterChange(idx);
    }
  });
  std::thread ui([&] {
    while (!stop) {
      plug.Mutate();
      plug.SaveData();
      plug.PreviousData();
      plug.GeneratePickup();
      plug.ResetSound();
      ++tools;
    }
  });

  const auto begin = std::chrono::steady_clock::now();
  for (;;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const auto elapsed = std::chrono::steady_clock::now() - begin;
    if ((blocks > 10 && tools > 10 && elapsed >= std::chrono::seconds(1)) || elapsed >= std::chrono::seconds(60)) break;
  }
  stop = true;
  audio.join();
  automation.join();
  ui.join();
  EXPECT_GT(blocks.load(), 10);
  EXPECT_GT(tools.load(), 10);
}
