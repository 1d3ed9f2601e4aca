#pragma once
// Transition table of the "Saw" waveform: entry i belongs to the argument
// (i - 500) / 1000, so the table spans -0.5 to 0.5. Odd about entry 500,
// -0.5 and 0.5 at the ends, a peak of 1/sqrt(2) at entries 250 and 750.
constexpr int kSawTableSize = 1001;
extern const double kSawTable[kSawTableSize];
