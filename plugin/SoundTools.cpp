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
  IGraphics* graphics = Graphics();
  // A control already at the value sends nothing; one that moves sends its
  // value to the host inside a begin and end edit, as a knob turn does.
  bool moves = false;
  for (int i = 0; i < graphics->NControls() && !moves; ++i) {
    const IControl* control = graphics->GetControl(i);
    moves = control->ParamIdx() == paramIdx && control->GetValue() != normalizedValue;
  }
  if (!moves) return;
  BeginHostParameterEdit(paramIdx);
  graphics->SetControlsFromUserValue(paramIdx, normalizedValue);
  EndHostParameterEdit(paramIdx);
}

double Vorblex::NormalizedValue(int paramIdx)
{
  // Processing writes parameter values under the mutex; the tools read them
  // under it too.
  MutexLock lock(Mutex());
  return GetParameter(paramIdx)->GetNormalized();
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
  double h;
  {
    // Written by OnParameterChange under the mutex.
    MutexLock lock(Mutex());
    h = mMutationAmount;
  }
  for (int paramIdx : kMutateOrder) {
    const double c = NormalizedValue(paramIdx);
    const double r = Draw();
    const double a = paramIdx == kPitchJumpTrigger ? 10.0 * h : h;
    DeliverStep(paramIdx, r * a - (1.0 - r) * a + c);
  }
  AppendData();
}

void Vorblex::ResetSound()
{
  SoundEntry before;
  for (int i = 0; i < kParamCount; ++i) before[static_cast<size_t>(i)] = NormalizedValue(i);
  {
    // Recalling redraws the controls from the values: all under the mutex.
    MutexLock lock(Mutex());
    if (!RecallPreset(0)) return;
  }
  // The host hears every value the reset moved, each as a whole edit.
  for (int i = 0; i < kParamCount; ++i) {
    const double after = NormalizedValue(i);
    if (after == before[static_cast<size_t>(i)]) continue;
    BeginHostParameterEdit(i);
    InformHostParameterValue(i, after);
    EndHostParameterEdit(i);
  }
}
