#pragma once
// The parameter listing of `vorblex params`, read from the parameter objects.
#include <cstdio>

class IPlugBase;

// Writes one line per parameter: index, name, range, default, unit and the
// display text of the current value.
void PrintParameters(const IPlugBase& plug, std::FILE* out);
