#pragma once
// Fixtures shared by the test files: a started instance on its own host, and
// renders of a fresh instance for comparisons between runs.
#include "tests/hosts/vst2/Expected.h"
#include "tests/hosts/vst2/TestHost.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace vst2host {

constexpr unsigned char kNoteOn = 0x90;
constexpr unsigned char kNoteOff = 0x80;

// One instance, opened and running at 44100 Hz with 1024-frame blocks.
class StartedPlugin : public testing::Test {
protected:
  void SetUp() override
  {
    plugin = Plugin::Create(host);
    ASSERT_NE(plugin, nullptr) << "the module entry returned no instance";
    plugin->Start(44100.0f, 1024);
  }

  std::vector<unsigned char> ProgramChunk() { return plugin->GetChunk(false); }
  std::vector<unsigned char> BankChunk() { return plugin->GetChunk(true); }

  Host host;
  std::unique_ptr<Plugin> plugin;
};

// A buffer pre-filled with a marker byte, to see what a call wrote.
struct MarkedBuffer {
  static constexpr unsigned char kMark = 0x5A;
  MarkedBuffer() { std::memset(bytes, kMark, sizeof bytes); }
  char* data() { return reinterpret_cast<char*>(bytes); }
  std::string Text() const
  {
    const char* text = reinterpret_cast<const char*>(bytes);
    return std::string(text, strnlen(text, sizeof bytes));
  }
  bool UntouchedFrom(std::size_t from) const
  {
    for (std::size_t i = from; i < sizeof bytes; ++i)
      if (bytes[i] != kMark)
        return false;
    return true;
  }
  unsigned char bytes[512];
};

// Renders events on a fresh instance started at the given rate and block size.
inline Rendered RenderFresh(float sampleRate, int blockSize, const std::vector<Midi>& events, std::int64_t frames,
                            const RenderSetup& setup = RenderSetup())
{
  Host host;
  std::unique_ptr<Plugin> plugin = Plugin::Create(host);
  if (!plugin) {
    ADD_FAILURE() << "the module entry returned no instance";
    return Rendered();
  }
  plugin->Start(sampleRate, blockSize);
  return Render(*plugin, events, frames, setup);
}

// Every parameter's normalised value as the host reads it.
inline std::vector<float> AllParameters(Plugin& plugin)
{
  std::vector<float> values;
  for (int i = 0; i < kParamCount; ++i)
    values.push_back(plugin.Get(i));
  return values;
}

// Default real values in index order.
inline std::vector<double> DefaultValues()
{
  std::vector<double> values;
  for (const ParamModel& p : kParams)
    values.push_back(p.defaultValue);
  return values;
}

}  // namespace vst2host
