// One-click sound design: the category generators and the random recipe,
// Mutate and Reset. Every value goes through the editor's controls exactly as
// if the user had turned the knob, so host and engine follow the same path.
#include <cmath>

#include "editor/IGraphics.h"
#include "platform/Random.h"
#include "plugin/Recipes.h"
#include "plugin/Vorblex.h"

namespace {
constexpr double kRandomDivisor = 32766.0;

// 0 to 32767/32766: a draw can overshoot 1 by 1/32766.
double Draw() { return RandomNext() / kRandomDivisor; }
}  // namespace


void Vorblex::DeliverStep(int paramIdx, double normalizedValue)
{
  Graphics()->SetControlsFromUserValue(paramIdx, normalizedValue);
}

double Vorblex::NormalizedBound(int paramIdx, bool normalised, double v) const
{
  return normalised ? v : GetParameter(paramIdx)->ToNormalized(v);
}

void Vorblex::RunRecipeStep(int paramIdx, bool normalised, const RecipeStep& step)
{
  const double lo = NormalizedBound(paramIdx, normalised, step.lo);
  const double hi = NormalizedBound(paramIdx, normalised, step.hi);
  if (step.kind == EStepKind::kFixed) {
    DeliverStep(paramIdx, lo);
  } else {
    // Ranges and single values alike: one draw, and the mix of the bounds.
    const double r = Draw();
    DeliverStep(paramIdx, (1.0 - r) * lo + r * hi);
  }
}

void Vorblex::Generate(int category)
{
  if (!Graphics()) return;
  for (const RecipeRow& row : kRecipe) {
    const RecipeCell& cell = row.cells[category];
    if (cell.step.kind == EStepKind::kChoice) {
      const RecipeStep& chosen = Draw() < cell.threshold ? cell.first : cell.second;
      RunRecipeStep(row.param, row.normalised, chosen);
    } else {
      RunRecipeStep(row.param, row.normalised, cell.step);
    }
  }
  AppendData();
}

void Vorblex::GeneratePickup() { Generate(kPickup); }
void Vorblex::GenerateShoot() { Generate(kShoot); }
void Vorblex::GeneratePowerup() { Generate(kPowerup); }
void Vorblex::GenerateHit() { Generate(kHit); }
void Vorblex::GenerateJump() { Generate(kJump); }
void Vorblex::GenerateBlip() { Generate(kBlip); }
void Vorblex::GenerateBlade() { Generate(kBlade); }

void Vorblex::GenerateRandom()
{
  if (!Graphics()) return;
  switch (RandomNext() % 9) {
    case 8:  // pink noise only
      DeliverStep(kOsc1Level, 0.0);
      DeliverStep(kWhiteLevel, 0.0);
      DeliverStep(kPinkLevel, 1.0);
      break;
    case 7:  // white noise only
      DeliverStep(kOsc1Level, 0.0);
      DeliverStep(kWhiteLevel, 1.0);
      DeliverStep(kPinkLevel, 0.0);
      break;
    default: {  // one oscillator, any waveform but "Off"
      DeliverStep(kOsc1Level, 1.0);
      DeliverStep(kWhiteLevel, 0.0);
      DeliverStep(kPinkLevel, 0.0);
      const double r = Draw();
      DeliverStep(kOsc1Type, (1.0 - r) * (1.0 / 7.0) + r * 1.0);
      break;
    }
  }
  for (const RandomStep& step : kRandomRecipe) DeliverStep(step.param, step.scale * Draw());
  AppendData();
}

void Vorblex::Mutate()
{
  if (!Graphics()) return;
  const double h = mMutationAmount;
  for (int paramIdx : kMutateOrder) {
    const double c = GetParameter(paramIdx)->GetNormalized();
    const double r = Draw();
    const double a = paramIdx == kPitchJumpTrigger ? 10.0 * h : h;
    DeliverStep(paramIdx, r * a - (1.0 - r) * a + c);
  }
  AppendData();
}

void Vorblex::ResetSound() { RecallPreset(0); }
