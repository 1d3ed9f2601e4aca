// Built once on the VST2 adapter and once on the VST3 adapter: a state
// restored through the module interface's own entry (set-chunk of a program,
// set-state of the component) moves the editor's controls, and a generator or
// Mutate pressed afterwards gives the sound `vorblex generate --state` writes
// for the same state and seed.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "editor/IControl.h"
#include "editor/IGraphics.h"
#include "platform/Random.h"
#include "plugin/Vorblex.h"
#include "tests/cli/ToolRun.h"

#if defined(VORBLEX_API_VST2)
namespace {
std::intptr_t VORBLEX_VST_CALL NoHost(vst2::Entry*, std::int32_t, std::int32_t, std::intptr_t, void*, float)
{
  return 0;
}

struct Instance {
  Vorblex* plug;
  vst2::Entry* entry;
  Instance()
  {
    IPlugInstanceInfo info;
    info.mHostCallback = &NoHost;
    plug = new Vorblex(info);
    entry = plug->EntryForHost();
    entry->dispatcher(entry, vst2::op::kOpen, 0, 0, nullptr, 0.0f);
  }
  ~Instance() { entry->dispatcher(entry, vst2::op::kClose, 0, 0, nullptr, 0.0f); }
  // As a host restores a program: the chunk header, then the state.
  bool Restore(const std::string& state)
  {
    std::string chunk("tffp\0\0\1\0", 8);
    chunk += state;
    return entry->dispatcher(entry, vst2::op::kSetChunk, 1, static_cast<std::intptr_t>(chunk.size()), chunk.data(),
                             0.0f) == 1;
  }
};
}  // namespace
#else
#include "public.sdk/source/common/memorystream.h"

namespace {
struct Instance {
  Vorblex* plug = new Vorblex();
  ~Instance() { plug->release(); }
  // As a host restores the component: the state, then the bypass word.
  bool Restore(const std::string& state)
  {
    std::string bytes = state + std::string(4, '\0');
    Steinberg::MemoryStream stream(bytes.data(), static_cast<Steinberg::TSize>(bytes.size()));
    return static_cast<Steinberg::Vst::IComponent*>(plug)->setState(&stream) == Steinberg::kResultOk;
  }
};
}  // namespace
#endif

namespace {
int Tool(const std::string& args) { return toolrun::Run(args).status; }

// Controls of parameters that do not show their parameter's value.
int ControlsBehind(Vorblex& plug)
{
  auto* g = dynamic_cast<IGraphics*>(plug.GetEditor());
  int behind = 0;
  for (int c = 0; g && c < g->NControls(); ++c) {
    const IControl* control = g->GetControl(c);
    const int p = control->ParamIdx();
    if (p >= 0 && p < kParamCount && std::fabs(control->GetValue() - plug.GetParameter(p)->GetNormalized()) > 1e-12)
      ++behind;
  }
  return behind;
}

// The generator's random state for a seed, as the command line documents it.
uint32_t StateForSeed(uint32_t x)
{
  x += 0x9E3779B9u;
  x ^= x >> 16;
  x *= 0x85EBCA6Bu;
  x ^= x >> 13;
  x *= 0xC2B2AE35u;
  return x ^ (x >> 16);
}
}  // namespace

TEST(RestorePath, ToolsAfterAHostRestoreGiveWhatTheCommandLineWrites)
{
  const std::string dir = toolrun::NewDir(), base = dir + "/jump-s3-001.vorblex";
  ASSERT_EQ(Tool("generate jump --seed 3 -o " + dir), 0);
  const std::string mutateBase = dir + "/base.vorblex";
  ASSERT_EQ(Tool("state --state " + base + " --set \"Mutation %=7\" -o " + mutateBase), 0);
  ASSERT_EQ(Tool("generate pickup --seed 21 --state " + base + " -o " + dir), 0);
  ASSERT_EQ(Tool("generate --mutate --seed 22 --state " + mutateBase + " -o " + dir), 0);

  const struct {
    std::string state;
    void (Vorblex::*tool)();
    uint32_t seed;
    std::string expected;
  } cases[] = {{base, &Vorblex::GeneratePickup, 21, dir + "/pickup-s21-001.vorblex"},
               {mutateBase, &Vorblex::Mutate, 22, dir + "/mutate-s22-001.vorblex"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    const std::string state = toolrun::Read(c.state);
    ASSERT_EQ(state.size(), 484u);
    Instance host;
    Vorblex& plug = *host.plug;
    ASSERT_TRUE(host.Restore(state));
    int moved = 0;
    for (int i = 0; i < kParamCount; ++i) moved += plug.GetParameter(i)->Value() != plug.GetParameter(i)->Default();
    EXPECT_GT(moved, 10) << "the restore changed too little to show anything";
    EXPECT_EQ(ControlsBehind(plug), 0) << "the restore leaves controls showing the old sound";
    RandomSeed(StateForSeed(c.seed));
    (plug.*c.tool)();
    IStateChunk made;
    ASSERT_TRUE(plug.SerializeState(made));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(made.Data()), static_cast<size_t>(made.Size())),
              toolrun::Read(c.expected));
  }
  EXPECT_EQ(std::system(("rm -rf " + dir).c_str()), 0);
}
