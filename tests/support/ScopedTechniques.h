#pragma once
// Selects the arithmetic (engine/DspPath.h) for one test and restores the
// default whatever the test does.
#include "engine/DspPath.h"

class ScopedTechniques
{
public:
  explicit ScopedTechniques(int set) { SetDspTechniques(set); }
  ~ScopedTechniques() { SetDspTechniques(kAllTechniques); }
  ScopedTechniques(const ScopedTechniques&) = delete;
  ScopedTechniques& operator=(const ScopedTechniques&) = delete;
};
