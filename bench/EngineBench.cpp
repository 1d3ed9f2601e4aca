// Real-time factors of the engine: seconds of audio rendered per second of CPU,
// at 48 kHz in blocks of 256, for named cases.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "plugin/Vorblex.h"
#include "platform/Random.h"

namespace {
constexpr double kRate = 48000.0;
constexpr int kBlock = 256;

void Set(Vorblex& plug, int idx, double v)
{
  plug.GetParameter(idx)->Set(v);
  plug.OnParameterChange(idx);
}

// Three oscillators of different waveforms, both noise sources, both filters
// with envelope depth, a moving pitch sweep with a curve, the crusher inside.
void WorstCase(Vorblex& plug)
{
  Set(plug, kOsc1Type, 4);
  Set(plug, kOsc2Type, 3);
  Set(plug, kOsc3Type, 6);
  for (int i : {kOsc1Level, kOsc2Level, kOsc3Level, kWhiteLevel, kPinkLevel}) Set(plug, i, -12.0);
  Set(plug, kOsc2SquareDuty, 0.3);
  Set(plug, kFilterLPCutoff, 4000.0);
  Set(plug, kFilterLPResonance, 3.0);
  Set(plug, kFilterLPEnvDepth, 0.7);
  Set(plug, kFilterHPCutoff, 200.0);
  Set(plug, kFilterHPResonance, 2.0);
  Set(plug, kFilterHPEnvDepth, -0.5);
  Set(plug, kFilterEnvSustain, 0.5);
  Set(plug, kFilterEnvDecay, 0.5);
  Set(plug, kPitchStart, -0.5);
  Set(plug, kPitchEnd, 0.8);
  Set(plug, kPitchDuration, 10.0);
  Set(plug, kPitchCurve, 2.5);
  Set(plug, kBitCrushPosition, 1);
  Set(plug, kBitCrushSampleRate, 11025.0);
  Set(plug, kBitCrushBitDepth, 10.0);
}

void Run(benchmark::State& state, void (*configure)(Vorblex&), int notes)
{
  auto plug = std::make_unique<Vorblex>();
  plug->SetHostSampleRate(kRate);
  plug->SetHostBlockSize(kBlock);
  if (configure) configure(*plug);
  RandomSeed(1);
  for (int n = 0; n < notes; ++n) plug->AddMidi(IMidiMessage(0, 0x90, static_cast<uint8_t>(48 + 7 * n), 100));
  std::vector<double> left(kBlock), right(kBlock);
  double* outs[2] = {left.data(), right.data()};
  int64_t frames = 0;
  for (auto _ : state) {
    plug->ProcessBlock(outs, 2, kBlock);
    benchmark::DoNotOptimize(left.data());
    frames += kBlock;
  }
  // Seconds of audio per second of CPU.
  state.counters["realtime_x"] =
      benchmark::Counter(static_cast<double>(frames) / kRate, benchmark::Counter::kIsRate);
}

void Idle(benchmark::State& state) { Run(state, nullptr, 0); }
void OneVoiceInitialSound(benchmark::State& state) { Run(state, nullptr, 1); }
void FourVoicesWorstCase(benchmark::State& state) { Run(state, WorstCase, 4); }
}  // namespace

BENCHMARK(Idle)->Unit(benchmark::kMicrosecond);
BENCHMARK(OneVoiceInitialSound)->Unit(benchmark::kMicrosecond);
BENCHMARK(FourVoicesWorstCase)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
