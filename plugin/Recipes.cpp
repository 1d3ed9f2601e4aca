#include "plugin/Recipes.h"

#include "plugin/ParamTable.h"

namespace {
constexpr RecipeStep Step(EStepKind kind, double lo, double hi) { return RecipeStep{kind, lo, hi}; }
constexpr RecipeCell F(double v) { return RecipeCell{Step(EStepKind::kFixed, v, v), 0, {}, {}}; }
constexpr RecipeCell R(double lo, double hi) { return RecipeCell{Step(EStepKind::kRange, lo, hi), 0, {}, {}}; }
constexpr RecipeCell S(double v) { return RecipeCell{Step(EStepKind::kSingle, v, v), 0, {}, {}}; }
constexpr RecipeCell C(double threshold, RecipeCell first, RecipeCell second)
{
  return RecipeCell{Step(EStepKind::kChoice, 0, 0), threshold, first.step, second.step};
}
}  // namespace

// Columns: Pickup, Shoot, Powerup, Hit, Jump, Blip, Blade. The resonance bound
// 0.7071 stands for the minimum 1/sqrt(2); it normalises to 0.
const RecipeRow kRecipe[kRecipeSteps] = {
    {1, false, {S(2), R(2, 4), C(0.5, S(2), S(4)), R(3, 4), S(3), R(3, 4), S(0)}},  // 1 Osc1 Type
    {4, false, {F(0), F(0), F(0), F(0), F(0), F(0), F(-96)}},  // 2 Osc1 Level (dB)
    {7, false, {F(-96), F(-96), F(-96), F(-96), F(-96), F(-96), F(0)}},  // 3 White Level (dB)
    {8, false, {F(-96), F(-96), F(-96), F(-96), F(-96), F(-96), F(-96)}},  // 4 Pink Level (dB)
    {18, false, {F(0.5), R(0.01, 0.5), R(0.01, 0.5), R(0.01, 0.5), R(0.01, 0.5), R(0.01, 0.5), F(0.5)}},  // 5 Osc1 Square Duty
    {24, false, {F(1), F(1), F(1), F(1), F(1), F(1), F(1)}},  // 6 Osc1 EnvDepth
    {27, false, {F(1), F(1), F(1), F(1), F(1), F(1), F(1)}},  // 7 Whiite EnvDepth
    {28, false, {F(1), F(1), F(1), F(1), F(1), F(1), F(1)}},  // 8 Pink EnvDepth
    {29, false, {R(0.001, 0.2), R(0.001, 0.2), R(0.001, 0.2), R(0.001, 0.2), R(0.001, 0.2), R(0.001, 0.2), R(0.001, 0.2)}},  // 9 Amp Env Attack (s)
    {30, false, {R(0.001, 0.4), R(0.001, 0.4), R(0.001, 0.4), R(0.001, 0.2), F(0.001), F(0.001), R(0.001, 0.4)}},  // 10 Amp Env Hold (s)
    {31, false, {R(0.001, 0.4), R(0.1, 0.8), R(0.001, 0.4), R(0.001, 0.2), R(0.001, 0.2), R(0.001, 0.2), R(0.001, 0.4)}},  // 11 Amp Env Decay (s)
    {32, false, {F(0.000001), F(0.000001), R(0.001, 1), F(0.000001), F(1), F(1), F(0.000001)}},  // 12 Amp Env Sustain
    {33, false, {R(0.03, 0.3), R(0.03, 0.3), R(0.02, 0.3), R(0.03, 0.2), R(0.03, 0.2), R(0.03, 0.2), R(0.03, 0.3)}},  // 13 Amp Env Release (s)
    {36, false, {S(1), R(0.1, 0.5), R(0.1, 3), R(0.1, 0.3), R(0.1, 0.3), S(1), S(0.1)}},  // 14 Pitch Duration (s)
    {37, false, {S(0), S(0), S(0), S(0), S(0), S(0), S(0)}},  // 15 Pitch Start
    {38, false, {S(0), R(-0.5, 0), R(0, 1), R(-0.5, 0), R(0.1, 1), S(0), S(0)}},  // 16 Pitch End
    {39, true, {S(1.0 / 9.0), R(0, 1), R(0, 1), R(0, 1), R(0, 1), S(1.0 / 9.0), S(1.0 / 9.0)}},  // 17 Pitch Curve, normalised
    {42, false, {R(-1, 1), R(-1, 1), R(-1, 1), R(-1, 1), R(-1, 1), R(-1, 1), R(-1, 1)}},  // 18 Filter LP Env Depth
    {45, false, {R(-1, 1), R(-1, 1), R(-1, 1), R(-1, 1), R(-1, 1), R(-1, 1), R(-1, 1)}},  // 19 Filter HP Env Depth
    {40, false, {F(22050), S(22050), R(1000, 22050), R(8000, 22050), R(8000, 22050), R(8000, 22050), R(200, 8000)}},  // 20 Filter LP Cutoff (Hz)
    {41, false, {F(0.7071), F(0.7071), R(0.7071, 6), R(0.7071, 6), F(0.7071), R(0.7071, 6), R(0.7071, 6)}},  // 21 Filter LP Resonance
    {43, false, {F(0), R(0, 800), R(800, 22050), R(0, 800), F(0), R(0, 800), R(0, 800)}},  // 22 Filter HP Cutoff (Hz)
    {44, false, {F(0.7071), F(0.7071), R(0.7071, 6), R(0.7071, 6), F(0.7071), R(0.7071, 6), R(0.7071, 6)}},  // 23 Filter HP Resonance
    {51, false, {R(0.001, 10), R(0.001, 10), R(0.001, 0.2), R(0.001, 0.2), R(0.001, 0.2), R(0.001, 0.2), R(0.001, 0.2)}},  // 24 Filter Env Attack (s)
    {52, false, {R(0.001, 10), R(0.001, 10), R(0.001, 0.4), R(0.001, 0.4), R(0.001, 0.2), R(0.001, 0.2), R(0.001, 0.4)}},  // 25 Filter Env Hold (s)
    {53, false, {R(0.001, 10), R(0.001, 10), R(0.001, 0.4), R(0.001, 0.4), R(0.001, 0.2), R(0.001, 0.2), R(0.001, 0.4)}},  // 26 Filter Env Decay (s)
    {54, false, {R(0.001, 1), R(0.001, 1), R(0.001, 1), R(0.001, 1), R(0.001, 1), R(0.001, 1), R(0.001, 1)}},  // 27 Filter Env Sustain
    {55, false, {R(0.001, 10), R(0.001, 10), R(0.001, 0.3), R(0.001, 0.3), R(0.001, 0.2), R(0.001, 0.2), R(0.03, 0.3)}},  // 28 Filter Env Release (s)
    {46, false, {S(0.3), S(0.3), R(0.3, 0.5), R(0.3, 0.5), R(0.3, 0.5), R(0.3, 0.5), R(0.2, 0.7)}},  // 29 Compression Factor
    {47, false, {R(5, 24), S(0), S(0), S(0), S(0), S(0), S(0)}},  // 30 Pitch Jump Transpose (st)
    {48, true, {C(0.3, S(0), R(0.002, 0.06)), F(0), R(0, 0.18), F(0), F(0), F(0), S(0)}},  // 31 Pitch Jump Delay, normalised
    {49, false, {R(0.01, 0.2), F(0.01), R(0.01, 0.2), F(0.01), F(0.01), F(0.01), R(0.01, 0.1)}},  // 32 Pitch Jump Time (s)
    {50, false, {R(0, 2), F(0), F(2), F(0), F(0), F(0), S(0)}},  // 33 Pitch Jump Trigger
};

const RandomStep kRandomRecipe[kRandomSteps] = {
    {kOsc1SquareDuty, 1.0},    {kOsc1EnvDepth, 1.0},       {kWhiteEnvDepth, 1.0},       {kPinkEnvDepth, 1.0},
    {kAmpEnvAttack, 0.2},      {kAmpEnvHold, 0.2},         {kAmpEnvDecay, 0.2},         {kAmpEnvSustain, 0.2},
    {kAmpEnvRelease, 0.2},     {kPitchDuration, 0.2},      {kPitchStart, 1.0},          {kPitchEnd, 1.0},
    {kPitchCurve, 1.0},        {kFilterLPEnvDepth, 1.0},   {kFilterHPEnvDepth, 1.0},    {kFilterEnvAttack, 0.2},
    {kFilterEnvHold, 0.2},     {kFilterEnvDecay, 0.2},     {kFilterEnvSustain, 0.2},    {kFilterEnvRelease, 0.2},
    {kCompressionFactor, 1.0}, {kPitchJumpTranspose, 1.0}, {kPitchJumpDelay, 0.2},      {kPitchJumpTime, 0.2},
    {kPitchJumpTrigger, 1.0},
};

const int kMutateOrder[kMutateSteps] = {
    kOsc1SquareDuty,    kOsc1EnvDepth,     kWhiteEnvDepth,    kPinkEnvDepth,       kAmpEnvAttack,
    kAmpEnvHold,        kAmpEnvDecay,      kAmpEnvSustain,    kAmpEnvRelease,      kPitchDuration,
    kPitchStart,        kPitchEnd,         kPitchCurve,       kFilterLPEnvDepth,   kFilterHPEnvDepth,
    kFilterLPCutoff,    kFilterLPResonance, kFilterHPCutoff,  kFilterHPResonance,  kFilterEnvAttack,
    kFilterEnvHold,     kFilterEnvDecay,   kFilterEnvSustain, kFilterEnvRelease,   kCompressionFactor,
    kPitchJumpTranspose, kPitchJumpDelay,  kPitchJumpTime,    kPitchJumpTrigger,
};
