// The fast arithmetic (all techniques of engine/DspPath.h) against the exact
// one, by rendered sound: the benchmark's cases, the example sounds and 200
// generated sounds must agree within 1e-7 on every output sample.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "bench/BenchCases.h"
#include "engine/DspPath.h"
#include "platform/Random.h"
#include "support/Render.h"
#include "support/ScopedTechniques.h"

namespace {
constexpr double kTolerance = 1e-7;
constexpr double kRate = 48000.0;
constexpr int kBlock = 256;

struct Sound {
  std::function<void(Vorblex&)> configure;
  int note = 60;
  double heldSeconds = 0.3;
  double totalSeconds = 0.5;
  int notes = 1;  // notes stacked 7 semitones apart
};

// One render of a sound with the given arithmetic, from the same random state.
std::vector<double> RenderSound(const Sound& sound, int techniques)
{
  ScopedTechniques scope(techniques);
  Vorblex plug;
  plug.SetHostSampleRate(kRate);
  plug.SetHostBlockSize(kBlock);
  if (sound.configure) sound.configure(plug);
  RandomSeed(12345);
  std::vector<IMidiMessage> midi;
  const int off = static_cast<int>(sound.heldSeconds * kRate);
  for (int n = 0; n < sound.notes; ++n) {
    midi.push_back(NoteOn(0, sound.note + 7 * n, 100));
    midi.push_back(IMidiMessage(off, 0x80, static_cast<uint8_t>(sound.note + 7 * n), 0));
  }
  return RenderFrames(plug, static_cast<int>(sound.totalSeconds * kRate), kBlock, midi).left;
}

struct Difference {
  double worst = 0.0;
  int at = -1;
  double peak = 0.0;
};

Difference Compare(const Sound& sound, int techniques)
{
  const std::vector<double> exact = RenderSound(sound, kDspExact);
  const std::vector<double> fast = RenderSound(sound, techniques);
  Difference d;
  for (size_t i = 0; i < exact.size(); ++i) {
    d.peak = std::max(d.peak, std::fabs(exact[i]));
    const double e = std::fabs(fast[i] - exact[i]);
    if (!(e <= d.worst)) {  // NaN counts as the worst
      d.worst = std::isnan(e) ? INFINITY : e;
      d.at = static_cast<int>(i);
    }
  }
  return d;
}

void ExpectAgreement(const Sound& sound, const std::string& what, int techniques = kAllTechniques)
{
  const Difference d = Compare(sound, techniques);
  EXPECT_LE(d.worst, kTolerance) << what << ": worst difference at sample " << d.at;
  // A silent render would agree trivially.
  EXPECT_GT(d.peak, 1e-3) << what << " is silent";
}

// The generator buttons in category order, the random button last.
void Generate(Vorblex& plug, int category)
{
  switch (category) {
  case 0: plug.GeneratePickup(); break;
  case 1: plug.GenerateShoot(); break;
  case 2: plug.GeneratePowerup(); break;
  case 3: plug.GenerateHit(); break;
  case 4: plug.GenerateJump(); break;
  case 5: plug.GenerateBlip(); break;
  case 6: plug.GenerateBlade(); break;
  default: plug.GenerateRandom(); break;
  }
}

void Set(Vorblex& plug, int idx, double v)
{
  plug.GetParameter(idx)->Set(v);
  plug.OnParameterChange(idx);
}
}  // namespace

TEST(Agreement, BenchmarkCasesAgreeTechniqueByTechniqueAndAllTogether)
{
  for (const bench::Case& c : bench::kCases) {
    if (c.notes == 0) continue;  // idle is silence either way
    Sound s;
    s.configure = c.configure;
    s.note = 48;
    s.notes = c.notes;
    s.heldSeconds = 1.5;  // through the filter envelope's decay and into sustain
    s.totalSeconds = 1.8;
    for (const bench::Techniques& t : bench::kTechniques)
      if (t.set != kDspExact) ExpectAgreement(s, std::string(c.name) + " / " + t.name, t.set);
  }
}

TEST(Agreement, ExampleSoundsAgree)
{
  const std::vector<std::pair<std::string, Sound>> sounds = {
      {"initial", {nullptr, 60, 0.4, 0.6}},
      {"pitch sweep",
       {[](Vorblex& p) {
          Set(p, kOsc1Type, kOscSquare);
          Set(p, kPitchStart, 1.0);
          Set(p, kPitchEnd, -0.6);
          Set(p, kPitchDuration, 0.5);
          Set(p, kPitchCurve, 0.4);
        },
        60, 0.6, 0.8}},
      {"filter envelope",
       {[](Vorblex& p) {
          Set(p, kOsc1Type, kOscSaw);
          Set(p, kFilterLPCutoff, 300.0);
          Set(p, kFilterLPResonance, 4.0);
          Set(p, kFilterLPEnvDepth, 1.0);
          Set(p, kFilterEnvAttack, 0.05);
          Set(p, kFilterEnvDecay, 0.4);
          Set(p, kFilterEnvSustain, 0.1);
        },
        48, 0.8, 1.0}},
      {"pitch jump",
       {[](Vorblex& p) {
          Set(p, kOsc1Type, kOscSquare);
          Set(p, kOsc1SquareDuty, 0.25);
          Set(p, kPitchJumpTranspose, 7.0);
          Set(p, kPitchJumpDelay, 0.06);
          Set(p, kPitchJumpTime, 0.15);
          Set(p, kAmpEnvRelease, 0.1);
        },
        76, 0.25, 0.45}},
      {"bit crusher",
       {[](Vorblex& p) {
          Set(p, kOsc1Type, kOscSaw);
          Set(p, kBitCrushPosition, 2.0);
          Set(p, kBitCrushSampleRate, 4000.0);
          Set(p, kBitCrushBitDepth, 4.0);
        },
        55, 0.5, 0.7}},
      // The waveforms the polynomial forms serve, with strong compression,
      // whose curve is steepest near zero.
      {"sine, whistle and tangent, compressed",
       {[](Vorblex& p) {
          Set(p, kOsc1Type, kOscSin);
          Set(p, kOsc2Type, kOscWhistle);
          Set(p, kOsc3Type, kOscTan);
          Set(p, kOsc2Level, -6.0);
          Set(p, kOsc3Level, -6.0);
          Set(p, kCompressionFactor, 1.0);
          Set(p, kPitchStart, -0.3);
          Set(p, kPitchEnd, 0.5);
          Set(p, kPitchDuration, 0.4);
          Set(p, kPitchCurve, 7.5);
        },
        67, 0.5, 0.7, 2}},
  };
  for (const auto& [name, sound] : sounds) ExpectAgreement(sound, name);
}

// 25 seeds for each of the seven categories and the random button: 200 sounds.
class GeneratedAgreement : public ::testing::TestWithParam<int>
{
};

TEST_P(GeneratedAgreement, TwentyFiveSeedsAgree)
{
  const int category = GetParam();
  for (uint32_t seed = 1; seed <= 25; ++seed) {
    Sound s;
    s.configure = [category, seed](Vorblex& p) {
      RandomSeed(seed * 7919u);
      Generate(p, category);
    };
    s.heldSeconds = 0.25;
    s.totalSeconds = 0.4;
    const Difference d = Compare(s, kAllTechniques);
    EXPECT_LE(d.worst, kTolerance) << "category " << category << " seed " << seed << ": worst at sample " << d.at;
  }
}

INSTANTIATE_TEST_SUITE_P(AllCategories, GeneratedAgreement, ::testing::Range(0, 8));

TEST(Agreement, GeneratedSoundsAreNotSilent)
{
  // The generators must really have set sounds for the comparisons above.
  int sounding = 0;
  for (int category = 0; category < 8; ++category) {
    Sound s;
    s.configure = [category](Vorblex& p) {
      RandomSeed(7919u);
      Generate(p, category);
    };
    s.heldSeconds = 0.25;
    s.totalSeconds = 0.4;
    sounding += Peak(RenderSound(s, kAllTechniques)) > 1e-3 ? 1 : 0;
  }
  EXPECT_GE(sounding, 6);
}
