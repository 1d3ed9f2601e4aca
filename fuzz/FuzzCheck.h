#pragma once
// What every fuzz target asks of the plug-in after an input, besides not
// crashing: a note still renders finite audio, and the state it holds saves
// and restores to the same bytes. A broken promise stops the run with a
// message, which libFuzzer records as a finding.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "plugin/Vorblex.h"

#define FUZZ_CHECK(cond)                                                        \
  do {                                                                          \
    if (!(cond)) {                                                              \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                             \
    }                                                                           \
  } while (0)

inline bool AllFinite(const double* x, int n)
{
  for (int i = 0; i < n; ++i)
    if (!std::isfinite(x[i])) return false;
  return true;
}

inline bool SameBytes(const IStateChunk& a, const IStateChunk& b)
{
  return a.Size() == b.Size() && (a.Size() == 0 || std::memcmp(a.Data(), b.Data(), static_cast<size_t>(a.Size())) == 0);
}

#ifdef VORBLEX_API_OFFLINE
// Plays a note for a few blocks on the in-process adapter; every sample must
// be a finite number.
inline void CheckRendersFinite(Vorblex& plug)
{
  static double left[256], right[256];
  double* outs[2] = {left, right};
  plug.AddMidi(IMidiMessage(0, 0x90, 60, 100));
  plug.AddMidi(IMidiMessage(200, 0x80, 60, 0));
  for (int b = 0; b < 2; ++b) {
    plug.ProcessBlock(outs, 2, 256);
    FUZZ_CHECK(AllFinite(left, 256));
    FUZZ_CHECK(AllFinite(right, 256));
  }
}

// The state saves, restores into the same instance and saves again to the
// same bytes; the preset list likewise.
inline void CheckStateRoundTrips(Vorblex& plug)
{
  IStateChunk saved;
  FUZZ_CHECK(plug.SerializeState(saved));
  FUZZ_CHECK(plug.UnserializeState(saved, 0) == saved.Size());
  IStateChunk again;
  FUZZ_CHECK(plug.SerializeState(again));
  FUZZ_CHECK(SameBytes(saved, again));
  for (int i = 0; i < plug.NParams(); ++i) {
    const double v = plug.GetParameter(i)->Value();
    FUZZ_CHECK(std::isfinite(v) && v >= plug.GetParameter(i)->Min() && v <= plug.GetParameter(i)->Max());
  }
  IStateChunk presets;
  FUZZ_CHECK(plug.SerializePresets(presets));
  const int presetsEnd = plug.UnserializePresets(presets, 0);
  if (presetsEnd != presets.Size()) std::fprintf(stderr, "preset list of %d bytes read to %d\n", presets.Size(), presetsEnd);
  FUZZ_CHECK(presetsEnd == presets.Size());
  IStateChunk presetsAgain;
  FUZZ_CHECK(plug.SerializePresets(presetsAgain));
  FUZZ_CHECK(SameBytes(presets, presetsAgain));
}
#endif
