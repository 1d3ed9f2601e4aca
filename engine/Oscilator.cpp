#include "engine/Oscilator.h"

Oscilator::Oscilator() noexcept { RandomSeedFromTime(); }

Oscilator::~Oscilator() = default;
