#pragma once
// The four voices run side by side, one vector lane each, for as long as
// nothing changes their course: no envelope stage ends, the waveforms are the
// same in every sounding voice and no oscillator plays noise. Each lane does
// the fast arithmetic of Voice::NextSampleT<kFastTrig | kFastPow |
// kFastFilter>() operation for operation, so a run gives the same bits as
// that many plain samples (with kFusedMultiplyAdd, the same up to rounding)
// and the two can alternate freely.
class StateVariableFilter;
class Voice;

class VoiceLanes
{
public:
  // A chunk of samples of every stage of a run, about 54 KB: the caller
  // keeps it, since a host's audio thread may have a small stack.
  struct alignas(64) Work {
    unsigned char bytes[56 * 1024];
  };

  // Renders the next samples of the four voices' sum into `out`, at most
  // `count`, and leaves every voice as the plain samples would. Returns how
  // many it rendered; 0 when the next sample has to be rendered the plain way
  // (a stage boundary, a changed pitch setting, settings that differ between
  // voices). `rate` is the oscillators' rate. Where the caller reads only
  // samples firstRead, firstRead + readEvery, ... (readEvery at least 1),
  // the others may be left as they were.
  static int Run(Voice* voices, double rate, double* out, int count, Work& work, int firstRead = 0,
                 int readEvery = 1) noexcept;

  // True where the processor has AVX2. Elsewhere Run() always returns 0: two
  // lanes at a time (SSE2) cost more than the plain samples.
  static bool UsesWideLanes() noexcept;

private:
  struct FilterLanes;
  struct PitchLanes;
  // Which samples of a run the caller reads (Run()'s firstRead and readEvery).
  struct Reads {
    int first, every;
  };
  static int RunT(Voice* voices, double rate, double* out, int count, Reads reads, Work& work, bool eight,
                  bool fused) noexcept;
  static int RunWide(Voice* voices, double rate, double* out, int count, Reads reads, Work& work) noexcept;
  // RunWide() compiled for AVX-512 (kEightLanes), with `fused` also with
  // fused multiply-adds (kFusedMultiplyAdd). The eight-lane stages below
  // take `fused` likewise.
  static int RunEight(Voice* voices, double rate, double* out, int count, Reads reads, Work& work, bool fused) noexcept;
  // One oscillator slot's waveform over `n` samples of the four voices, two
  // samples per AVX-512 vector, for the waveforms whose value depends on the
  // phase (and the square's on its last value where the phase meets the
  // duty); false (nothing done) for the others. The arrays hold four
  // doubles per sample, as RunT() lays them out; `output`, `secondOutput`,
  // `lastFrequency`, `sawScale` and `duty` are the slot's four-lane state.
  // The two voice filters' coefficients over `n` samples, two samples of
  // the four voices per AVX-512 vector, as SetCutoff() gives them one sample
  // at a time: from the filter envelope's levels (four doubles per sample),
  // the base cutoffs and depths (four doubles each), into five vectors of
  // four per sample (StepFast's g, h, a, 2g and 2g^2).
  static void CutoffsEight(bool fused, FilterLanes& lowPass, FilterLanes& highPass, const double* levels,
                           const double* lowBase, const double* lowDepth, const double* highBase,
                           const double* highDepth, double* lowAt, double* highAt, int n) noexcept;
  static bool WavesEight(bool fused, int waveform, const double* phaseAt, const double* secondAt, const double* freq,
                         int stride, const double* level, double* out, int n, double* output, double* secondOutput,
                         double* lastFrequency, double* sawScale, const double* duty) noexcept;
  // The mix under the amplitude envelope (FilterMix's input) over `n`
  // samples, two samples of the four voices per AVX-512 vector: source 0 and
  // the `sounding` sources of `sources` (four doubles per sample, `stride`
  // doubles from one source to the next), each times keep + depth * amp,
  // then times the velocity gain.
  static void MixEight(bool fused, const double* sources, int stride, const int* sounding, int soundingCount,
                       const double* ampAt, const double* keep, const double* depth, const double* velocity,
                       double* mixAt, int n) noexcept;
  // The pitch stage from sample `from` of a chunk on, two samples of the
  // four voices per AVX-512 vector, as RunT() works it out one sample at a
  // time: into `freq` (each oscillator's frequencies, four doubles per sample
  // and a chunk's worth per oscillator), the series renewed where a span
  // starts. Stops before the chunk's last sample if `n` - `from` is odd;
  // returns how many samples it worked out.
  static int PitchEight(bool fused, PitchLanes& p, double* freq, int from, int n) noexcept;
  static FilterLanes LoadFilter(const Voice* const* src, StateVariableFilter Voice::*which) noexcept;
  static void StoreFilter(StateVariableFilter& f, const FilterLanes& lanes, int lane) noexcept;
};
