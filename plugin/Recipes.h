#pragma once
// The sound generators' recipes as data: every category walks the same 33
// parameter steps; a cell says how that category sets the step's parameter.
#include <cstdint>

enum class EStepKind : uint8_t {
  kFixed,   // = v: no draw, N(v)
  kRange,   // lo..hi: one draw r, (1 - r) N(lo) + r N(hi)
  kSingle,  // v (d): one draw r, (1 - r) N(v) + r N(v)
  kChoice,  // an extra draw r'; r' < threshold picks the first alternative
};

struct RecipeStep {
  EStepKind kind;
  double lo, hi;  // real units, or normalised where the row says so
};

struct RecipeCell {
  RecipeStep step;
  // kChoice only: threshold and the two alternatives.
  double threshold;
  RecipeStep first, second;
};

enum ECategory : int {
  kPickup,
  kShoot,
  kPowerup,
  kHit,
  kJump,
  kBlip,
  kBlade,
  kNumCategories,
};

struct RecipeRow {
  int param;
  bool normalised;  // bounds are normalised values used as they stand
  RecipeCell cells[kNumCategories];
};

constexpr int kRecipeSteps = 33;
extern const RecipeRow kRecipe[kRecipeSteps];

// Random recipe: after the source choice, each step sets param to scale * r.
struct RandomStep {
  int param;
  double scale;
};
constexpr int kRandomSteps = 25;
extern const RandomStep kRandomRecipe[kRandomSteps];

// Parameters Mutate moves, in order.
constexpr int kMutateSteps = 29;
extern const int kMutateOrder[kMutateSteps];
