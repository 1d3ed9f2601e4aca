#include "engine/VoiceLanes.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <new>
#include <type_traits>
#include <utility>

#include "engine/Voice.h"
#include "engine/WideLanes.h"

// Everything up to the dispatch at the end runs only where the processor
// has AVX2.
// Clang (the fuzzing build) compiles none of it and takes the plain fast
// path: its target pragma does not reach the arithmetic templates shared with
// that path.
#if !defined(__clang__)
#pragma GCC push_options
#pragma GCC target("avx2")

#include "engine/LaneMath.h"

using namespace lanemath;

namespace {

constexpr int kOsc = Voice::kOscillatorCount;
// Samples per stage: each stage runs over a chunk before the next, which
// spreads each stage's own costs (its call, its constants) thinner. At most
// 64: the samples of a chunk the caller reads are the bits of a 64-bit mask.
constexpr int kChunk = 64;
constexpr int kMaxDraws = 4;  // white: one, pink: three

// x rounded on its own before whatever takes it next. The eight lanes may
// run with fused multiply-adds (kFusedMultiplyAdd), which would otherwise
// fold a product into the sum after it. The phases take their increments
// rounded, as the plain samples do, so that they do not drift apart over a
// long note; the pink noise keeps its bits, as its single-precision filters
// would otherwise move by a float's rounding, far above a double's.
// The empty statement takes x in a vector register and may have changed it,
// so the compiler cannot fold across it. (__builtin_assoc_barrier would do
// too, but GCC takes vectors apart for it, element by element.)
template <typename T>
[[gnu::always_inline]] inline T Rounded(T x)
{
  asm("" : "+v"(x));
  return x;
}

// One oscillator slot of the four voices.
struct OscLanes {
  int32_t waveform = kOscOff;
  bool runs = false;
  V4 phase, output, secondPhase, secondOutput, duty;
  V4 lastFrequency, sawScale;
};


struct EnvLanes {
  V4 level, multiplier;
};


// StepFast's coefficients of one filter in the four voices.
struct Coefficients {
  V4 g, h, a, g2, c;
};

template <typename Filter>
[[gnu::always_inline]] inline void SetCutoff(Filter& f, V4 hz)
{
  f.cutoff = ClampedCutoffT<Lanes4>(hz, f.rate);
  if (!Any(f.cutoff != f.coefficientCutoff))
    return;
  Coefficients& c = f.k4;
  FastFilterCoefficientsT<Lanes4>(f.cutoff, f.rate, f.k, c.g, c.h, c.a, c.g2, c.c);
  f.coefficientCutoff = f.cutoff;
}

// StepFast; returns the high-pass or the low-pass output.
template <bool kHighPass, typename Filter>
[[gnu::always_inline]] inline V4 Step(Filter& f, const Coefficients& c, V4 x)
{
  const V4 s1 = f.s1;
  const V4 s2 = f.s2;
  const V4 hp = c.h * x + (c.a * s1 - c.h * s2);
  const V4 bp = c.g * hp + s1;
  f.s1 = c.g2 * hp + s1;
  f.s2 = (c.g2 * s1 + s2) + c.c * hp;
  if (kHighPass)
    return hp;
  return c.g * bp + s2;
}

[[gnu::always_inline]] inline V4 Wrap(V4 p) { return p >= 1.0 ? p - 1.0 : p; }

[[gnu::always_inline]] inline V4 SawValue(V4 p, V4 sawScale) { return SawValueT<Lanes4>(p, sawScale); }

// A voice that sounds alone takes its samples four at a time: lane j holds
// sample i + j.
constexpr int kStep = 4;

// {0, x0, x1, x2}: the lanes moved one sample later.
[[gnu::always_inline]] inline V4 Later(V4 x, double first) { return __builtin_shufflevector(Splat(first), x, 0, 4, 5, 6); }

// {x0, x0 + x1, x0 + x1 + x2, x0 + x1 + x2 + x3}.
[[gnu::always_inline]] inline V4 RunningSum(V4 x)
{
  const V4 s = x + Later(x, 0.0);
  return s + __builtin_shufflevector(Splat(0.0), s, 0, 1, 4, 5);
}

// The phases of four samples, `before` each step and after it, from the
// phase p and the running sums of the increments: the oscillator's step
// "wrap at `top`, then add the increment" at most once per four samples,
// which increments of at most a fifth of a cycle guarantee.
struct Phases {
  V4 before, after;
};
[[gnu::always_inline]] inline Phases StepPhases(double& p, double top, V4 sums, V4 earlier)
{
  const double w = p >= top ? p - 1.0 : p;
  const V4 r = w + sums;
  const V4 passed = w + earlier;
  Phases out;
  out.after = passed >= top ? r - 1.0 : r;
  out.before = Later(out.after, p);
  p = out.after[3];
  return out;
}

// One steady state-variable filter over four samples at once: the outputs
// and the next state are linear in the state and the four inputs; the
// weights come from stepping the filter on unit states and unit inputs.
struct BlockFilter {
  V4 fromS1{}, fromS2{}, fromX[kStep]{};  // the four outputs
  V4 nextS1{}, nextS2{}, nextX[kStep]{};  // lanes 0 and 1: the state after four samples
  double s1 = 0.0, s2 = 0.0;
  bool gainOnly = false;  // no cutoff and a resting state: the output is h x
  double h = 0.0;

  template <bool kHighPass>
  void Prepare(double g, double hh, double a, double g2, double c, double state1, double state2)
  {
    s1 = state1;
    s2 = state2;
    h = hh;
    gainOnly = kHighPass && g == 0.0 && s1 == 0.0 && s2 == 0.0;
    // Column k of the map: from state (1, 0), state (0, 1), or input k.
    for (int col = 0; col < 2 + kStep; ++col) {
      double t1 = col == 0 ? 1.0 : 0.0, t2 = col == 1 ? 1.0 : 0.0;
      V4 y{};
      for (int j = 0; j < kStep; ++j) {
        const double x = col == 2 + j ? 1.0 : 0.0;
        const double hp = hh * x + (a * t1 - hh * t2);
        const double bp = g * hp + t1;
        const double n1 = g2 * hp + t1;
        const double n2 = (g2 * t1 + t2) + c * hp;
        y[j] = static_cast<double>(kHighPass ? hp : g * bp + t2);
        t1 = n1;
        t2 = n2;
      }
      const V4 next{static_cast<double>(t1), static_cast<double>(t2), 0.0, 0.0};
      if (col == 0) fromS1 = y, nextS1 = next;
      else if (col == 1) fromS2 = y, nextS2 = next;
      else fromX[col - 2] = y, nextX[col - 2] = next;
    }
  }

  [[gnu::always_inline]] V4 Step(V4 x)
  {
    if (gainOnly)
      return h * x;
    const V4 x0 = Splat(x[0]), x1 = Splat(x[1]), x2 = Splat(x[2]), x3 = Splat(x[3]);
    const V4 a = Splat(s1), b = Splat(s2);
    const V4 y = (fromS1 * a + fromS2 * b) + ((fromX[0] * x0 + fromX[1] * x1) + (fromX[2] * x2 + fromX[3] * x3));
    const V4 next = (nextS1 * a + nextS2 * b) + ((nextX[0] * x0 + nextX[1] * x1) + (nextX[2] * x2 + nextX[3] * x3));
    s1 = next[0];
    s2 = next[1];
    return y;
  }
};

// Whether waveform W reads its phase after the step (else before it).
constexpr bool ReadsAfterStep(int w) { return w == kOscTriangle || w == kOscSquare || w == kOscSaw; }

// One oscillator slot of the four voices for `n` samples: Oscilator::
// NextSampleT<true>() for waveform W, times the level, at the phases
// `phaseAt` (and `secondAt`, the whistle's second phase) StepPhases() gives.
template <int W>
[[gnu::always_inline]] inline void RunOscillator(OscLanes& o, const V4* phaseAt, const V4* secondAt, const V4* freq,
                                                 int stride, V4 level, V4* out, int n)
{
  for (int i = 0; i < n; ++i) {
    const V4 p = phaseAt[i];
    V4 y;
    if (W == kOscTriangle) {
      o.output = p <= 0.5 ? 4.0 * (p - 0.25) : 4.0 * (0.75 - p);
      y = o.output;
    } else if (W == kOscSin) {
      o.output = SinCycles(p);
      y = o.output;
    } else if (W == kOscSquare) {
      o.output = o.duty > p ? Splat(-1.0) : (o.duty < p ? Splat(1.0) : o.output);
      y = o.output;
    } else if (W == kOscSaw) {
      const V4 f = freq[i * stride];
      if (Any(f != o.lastFrequency)) {
        o.lastFrequency = f;
        o.sawScale = 8820.22 / f;
      }
      o.output = SawValue(p, o.sawScale);
      y = o.output;
    } else if (W == kOscBreaker) {
      o.output = Abs(1.0 - 2.0 * p * p) - 1.0;
      y = o.output;
    } else if (W == kOscTan) {
      o.output = ClippedTanCycles(p);
      y = o.output;
    } else {
      o.output = SinCycles(p);
      o.secondOutput = SinCycles(secondAt[i]);
      y = o.output + 0.25 * o.secondOutput;
    }
    out[i] = y * level;
  }
}

// Four consecutive samples of one oscillator of a lone voice (lane `l` of
// `o`), before the level: the values RunOscillator<W> gives one at a time.
template <int W>
[[gnu::always_inline]] inline V4 LoneWave(OscLanes& o, int l, const Phases& ph, const Phases& second, V4 sawScale)
{
  V4 y;
  if (W == kOscTriangle) {
    const V4 p = ph.after;
    y = p <= 0.5 ? 4.0 * (p - 0.25) : 4.0 * (0.75 - p);
  } else if (W == kOscSin) {
    y = SinCycles(ph.before);
  } else if (W == kOscSquare) {
    const V4 p = ph.after;
    const V4 duty = Splat(o.duty[l]);
    y = duty > p ? Splat(-1.0) : Splat(1.0);
    // At the duty itself the square holds its previous value.
    const M4 holds = ~(duty > p) & ~(duty < p);
    if (Any(holds)) {
      double previous = o.output[l];
      for (int j = 0; j < kStep; ++j) previous = y[j] = holds[j] ? previous : y[j];
    }
  } else if (W == kOscSaw) {
    y = SawValue(ph.after, sawScale);
  } else if (W == kOscBreaker) {
    const V4 p = ph.before;
    y = Abs(1.0 - 2.0 * p * p) - 1.0;
  } else if (W == kOscTan) {
    y = ClippedTanCycles(ph.before);
  } else {
    y = SinCycles(ph.before);
    const V4 y2 = SinCycles(second.before);
    o.secondOutput[l] = y2[3];
    o.output[l] = y[3];
    return y + 0.25 * y2;
  }
  o.output[l] = y[3];
  return y;
}

// PitchEnvelope::Apply(position, base) for the bases of all oscillators:
// a base's weight and the note's share are the same for each, and
// weight * base + share takes Apply's steps (at position 0, and for a
// position that is not a number, 1 * base + 0 is base).
struct Blend {
  V4 weight, share;
  [[gnu::always_inline]] Blend(V4 position, V4 high, V4 low)
  {
    const M4 up = position > 0.0, down = position < 0.0;
    weight = up ? 1.0 - position : (down ? 1.0 + position : Splat(1.0));
    share = up ? position * high : (down ? (-position) * low : Splat(0.0));
  }
  [[gnu::always_inline]] V4 operator()(V4 base) const { return weight * base + share; }
};

// A new series of the sweep's power (PitchEnvelope::NextPositionT) for the
// lanes `renew`, from their span's first sample `first`; the other lanes
// keep theirs.
[[gnu::always_inline]] inline void RenewSeries(V4 first, M4 renew, V4 inverseTotal, V4 curve, V4* series, V4& seriesAt)
{
  V4 fresh[pitchseries::kTerms];
  pitchseries::Coefficients(PowUnit(renew ? first * inverseTotal : Splat(0.5), curve), renew ? first : Splat(1.0), curve, fresh);
  for (int k = 0; k < pitchseries::kTerms; ++k) series[k] = renew ? fresh[k] : series[k];
  seriesAt = renew ? first : seriesAt;
}

bool Timed(const EG& eg) noexcept { return eg.Stage() != kStageOff && eg.Stage() != kStageSustain; }

uint64_t SamplesLeft(const EG& eg) noexcept
{
  if (!Timed(eg))
    return UINT64_MAX;
  return eg.CurrentSample() < eg.NextStageSample() ? eg.NextStageSample() - eg.CurrentSample() : 0;
}

// The generator's step taken n times over: s -> a s + c.
struct Jump {
  uint32_t a, c;
};
constexpr Jump JumpAhead(int n)
{
  Jump j{1u, 0u};
  for (int i = 0; i < n; ++i) {
    j.a *= vorblex_random::kMultiplier;
    j.c = j.c * vorblex_random::kMultiplier + vorblex_random::kIncrement;
  }
  return j;
}

typedef uint32_t G4 __attribute__((vector_size(16)));
typedef int32_t N4 __attribute__((vector_size(16)));
typedef uint32_t G8 __attribute__((vector_size(32)));
typedef int32_t N8 __attribute__((vector_size(32)));
typedef float F8 __attribute__((vector_size(32)));

// The noise draws of the four voices: lane l's draw k of a sample is the
// generator's state after that many steps of the shared sequence. Each lane
// follows its own draws with the step taken `stride` times, the draws of
// all sounding voices in one sample, so no lane waits on another.
struct NoiseLanes {
  G4 state[kMaxDraws];
  Jump stride;
  int draws = 0;
  int lastLane = 0;

  // ahead[i]: the step taken i strides over, for the samples of a chunk and
  // the chunk itself. Sample i's draws come from the chunk's first by one
  // jump each, so no sample waits on the one before.
  Jump ahead[kChunk + 1];

  void Plan(int drawsPerSample)
  {
    stride = JumpAhead(drawsPerSample);
    ahead[0] = Jump{1u, 0u};
    for (int i = 1; i <= kChunk; ++i)
      ahead[i] = Jump{ahead[i - 1].a * stride.a, ahead[i - 1].c * stride.a + stride.c};
  }
  // The 15-bit value of draw k of sample i of the chunk.
  [[gnu::always_inline]] N4 Value(int k, int i) const
  {
    return reinterpret_cast<N4>(((state[k] * ahead[i].a + ahead[i].c) >> 16) & 0x7FFFu);
  }
  // Two draws' states side by side (a in the low half), so one step of
  // eight lanes takes both: the pink noise's first two draws, and its third
  // with the white noise's draw (or with itself).
  G8 pairs[2];
  int pinkAt = 0;
  void Pair(bool white)
  {
    pinkAt = white ? 1 : 0;
    pairs[0] = __builtin_shufflevector(state[pinkAt], state[pinkAt + 1], 0, 1, 2, 3, 4, 5, 6, 7);
    pairs[1] = __builtin_shufflevector(state[pinkAt + 2], state[0], 0, 1, 2, 3, 4, 5, 6, 7);
  }
  // The 15-bit values of pair p's two draws of sample i of the chunk, times
  // 2^16: the states with their low halves cleared, which spares a shift.
  [[gnu::always_inline]] N8 ValuesTimes65536(int p, int i) const
  {
    return reinterpret_cast<N8>((pairs[p] * ahead[i].a + ahead[i].c) & 0x7FFF0000u);
  }
  // On to the next chunk, `chunk` samples on.
  void Next(int chunk)
  {
    for (int k = 0; k < draws; ++k) state[k] = state[k] * ahead[chunk].a + ahead[chunk].c;
    if (draws >= 3) Pair(pinkAt != 0);
  }
  // The shared sequence's state after the last draw of the chunk's sample i.
  uint32_t Last(int i) const { return state[draws - 1][lastLane] * ahead[i].a + ahead[i].c; }
};

// Four integers or floats as doubles, in one instruction (the generic
// conversion takes two halves and a merge).
[[gnu::always_inline]] inline V4 Widen(N4 x) { return reinterpret_cast<V4>(_mm256_cvtepi32_pd(reinterpret_cast<__m128i>(x))); }
[[gnu::always_inline]] inline V4 Widen(F4 x) { return reinterpret_cast<V4>(_mm256_cvtps_pd(reinterpret_cast<__m128>(x))); }

struct Settings {
  bool white, pink;
  int draws;
};

template <typename Get>
[[gnu::always_inline]] inline V4 GatherLanes(const Voice* const* src, Get get)
{
  return V4{get(*src[0]), get(*src[1]), get(*src[2]), get(*src[3])};
}

}  // namespace

struct VoiceLanes::FilterLanes {
  V4 s1, s2;
  Coefficients k4;
  V4 coefficientCutoff, cutoff, k, rate;
};

// What the pitch stage of the four voices reads and moves, as RunT() keeps it.
struct VoiceLanes::PitchLanes {
  V4 counter, total, inverseTotal, curve, start, end, high, low, seriesAt, position;
  M4 sweeps;
  V4 series[pitchseries::kTerms];
  V4 base[kOsc];
};

namespace {
// A chunk of samples of each stage, in the caller's Work. Trivial types:
// placing it there initialises nothing.
struct ChunkArrays {
  V4 freq[kOsc][kChunk], ampAt[kChunk], srcAt[Voice::kSourceCount][kChunk], levelAt[kChunk];
  Coefficients lpAt[kChunk], hpAt[kChunk];
  V4 mixAt[kChunk];
  V4 phaseAt[kOsc][kChunk + 1], secondAt[kOsc][kChunk];
};
static_assert(sizeof(ChunkArrays) <= sizeof(VoiceLanes::Work) && alignof(ChunkArrays) <= alignof(VoiceLanes::Work),
              "the chunk's arrays fit the caller's work space");
static_assert(sizeof(VoiceLanes::Work) - sizeof(ChunkArrays) < 4096, "the work space is not much larger than the arrays");
}  // namespace

[[gnu::always_inline]] inline VoiceLanes::FilterLanes VoiceLanes::LoadFilter(const Voice* const* src,
                                                                             StateVariableFilter Voice::*which) noexcept
{
  FilterLanes f{};
  for (int l = 0; l < kLanes; ++l) {
    const StateVariableFilter& x = src[l]->*which;
    f.s1[l] = x.mState1;
    f.s2[l] = x.mState2;
    f.k4.g[l] = x.mG;
    f.k4.h[l] = x.mH;
    f.k4.a[l] = x.mFastA;
    f.k4.g2[l] = x.mFastG2;
    f.k4.c[l] = x.mFastC;
    f.coefficientCutoff[l] = x.mCoefficientCutoff;
    f.cutoff[l] = x.mCutoff;
    f.k[l] = x.mK;
    f.rate[l] = x.mSampleRate;
  }
  return f;
}

[[gnu::always_inline]] inline void VoiceLanes::StoreFilter(StateVariableFilter& f, const FilterLanes& s, int l) noexcept
{
  f.mState1 = s.s1[l];
  f.mState2 = s.s2[l];
  f.mG = s.k4.g[l];
  f.mH = s.k4.h[l];
  f.mFastA = s.k4.a[l];
  f.mFastG2 = s.k4.g2[l];
  f.mFastC = s.k4.c[l];
  f.mCoefficientCutoff = s.coefficientCutoff[l];
  f.mCutoff = s.cutoff[l];
}

[[gnu::always_inline]] inline int VoiceLanes::RunT(Voice* v, double rate, double* out, int count, Reads reads,
                                                   Work& work, bool eight, bool fused) noexcept
{
  M4 active{};
  int activeCount = 0;
  int first = -1;
  for (int l = 0; l < kLanes; ++l) {
    active[l] = v[l].IsActive() ? -1 : 0;
    if (v[l].IsActive()) {
      ++activeCount;
      if (first < 0) first = l;
    }
  }
  if (activeCount == 0) {
    for (int i = 0; i < count; ++i) out[i] = 0.0;
    return count;
  }
  // Settings that decide which work a sample does must agree across the
  // sounding voices; the run ends before any stage boundary.
  const Voice& lead = v[first];
  uint64_t n = static_cast<uint64_t>(count);
  for (int l = 0; l < kLanes; ++l) {
    const Voice& x = v[l];
    if (!x.IsActive()) continue;
    if (x.mPitchDirty) return 0;
    for (int i = 0; i < Voice::kSourceCount; ++i)
      if ((x.mLevels[i] > 0.0) != (lead.mLevels[i] > 0.0)) return 0;
    for (int i = 0; i < kOsc; ++i) {
      const int32_t w = x.mSources[i].Waveform();
      if (w != lead.mSources[i].Waveform()) return 0;
      if ((i == 0 || x.mLevels[i] > 0.0) && (w == kOscWhiteNoise || w == kOscPinkNoise)) return 0;
    }
    for (const StateVariableFilter* f : {&x.mLowPass, &x.mHighPass}) {
      if (!f->mFastOk || !std::isfinite(f->mK) || !(f->mSampleRate > 0.0) || !std::isfinite(f->mSampleRate)) return 0;
    }
    if (x.mLowPass.mMode == kFilterHighPass || x.mHighPass.mMode != kFilterHighPass) return 0;
    const uint64_t left = SamplesLeft(x.mAmpEnvelope) < SamplesLeft(x.mFilterEnvelope) ? SamplesLeft(x.mAmpEnvelope)
                                                                                          : SamplesLeft(x.mFilterEnvelope);
    if (left < n) n = left;
  }
  if (n == 0) return 0;

  // Free lanes copy the first sounding voice, so their arithmetic stays finite.
  const Voice* src[kLanes];
  for (int l = 0; l < kLanes; ++l) src[l] = v[l].IsActive() ? &v[l] : &lead;
  auto gather = [&src](auto get) __attribute__((always_inline)) { return GatherLanes(src, get); };

  const V4 oscRate = Splat(1.0 / rate);
  // Pitch.
  PitchLanes pitch;
  V4& counter = pitch.counter;
  counter = gather([](const Voice& x) { return static_cast<double>(x.mPitchEnvelope.mSampleCounter); });
  const V4 total = pitch.total = gather([](const Voice& x) { return static_cast<double>(x.mPitchEnvelope.mTotalSamples); });
  const V4 inverseTotal = pitch.inverseTotal = gather([](const Voice& x) { return x.mPitchEnvelope.mInverseTotal; });
  const V4 start = pitch.start = gather([](const Voice& x) { return x.mPitchEnvelope.mStart; });
  const V4 end = pitch.end = gather([](const Voice& x) { return x.mPitchEnvelope.mEnd; });
  const V4 curve = pitch.curve = gather([](const Voice& x) { return x.mPitchEnvelope.mCurve; });
  const V4 high = pitch.high = gather([](const Voice& x) { return x.mPitchEnvelope.mHighFrequency; });
  const V4 low = pitch.low = gather([](const Voice& x) { return x.mPitchEnvelope.mLowFrequency; });
  const M4 sweeps = pitch.sweeps = ~((start == 0.0) & (end == 0.0));
  // The sweep's series (PitchEnvelope::NextPositionT).
  V4& seriesAt = pitch.seriesAt;
  seriesAt = gather([](const Voice& x) { return x.mPitchEnvelope.mSeriesAt; });
  V4* series = pitch.series;
  for (int k = 0; k < pitchseries::kTerms; ++k)
    series[k] = gather([k](const Voice& x) { return x.mPitchEnvelope.mSeries[k]; });
  V4* base = pitch.base;
  for (int i = 0; i < kOsc; ++i) base[i] = V4{src[0]->mBaseFrequencies[i], src[1]->mBaseFrequencies[i], src[2]->mBaseFrequencies[i], src[3]->mBaseFrequencies[i]};
  V4& position = pitch.position;
  position = gather([](const Voice& x) { return x.mPitchEnvelope.mPosition; });
  V4 frequency[kOsc];
  for (int i = 0; i < kOsc; ++i) frequency[i] = V4{src[0]->mCurrentFrequencies[i], src[1]->mCurrentFrequencies[i], src[2]->mCurrentFrequencies[i], src[3]->mCurrentFrequencies[i]};

  // Envelopes; a resting stage multiplies by exactly 1.
  EnvLanes amp{gather([](const Voice& x) { return x.mAmpEnvelope.mLevel; }),
               gather([](const Voice& x) { return Timed(x.mAmpEnvelope) ? x.mAmpEnvelope.mMultiplier : 1.0; })};
  EnvLanes fenv{gather([](const Voice& x) { return x.mFilterEnvelope.mLevel; }),
                gather([](const Voice& x) { return Timed(x.mFilterEnvelope) ? x.mFilterEnvelope.mMultiplier : 1.0; })};
  const V4 lpBase = gather([](const Voice& x) { return x.mLowPassCutoff; });
  const V4 lpDepth = gather([](const Voice& x) { return x.mLowPassEnvDepth; });
  const V4 hpBase = gather([](const Voice& x) { return x.mHighPassCutoff; });
  const V4 hpDepth = gather([](const Voice& x) { return x.mHighPassEnvDepth; });

  FilterLanes lp = LoadFilter(src, &Voice::mLowPass);
  FilterLanes hp = LoadFilter(src, &Voice::mHighPass);

  OscLanes osc[kOsc];
  for (int i = 0; i < kOsc; ++i) {
    OscLanes& o = osc[i];
    o.waveform = lead.mSources[i].Waveform();
    o.runs = i == 0 || lead.mLevels[i] > 0.0;
    o.phase = gather([i](const Voice& x) { return x.mSources[i].mPhase; });
    o.output = gather([i](const Voice& x) { return x.mSources[i].mOutput; });
    o.secondPhase = gather([i](const Voice& x) { return x.mSources[i].mSecondPhase; });
    o.secondOutput = gather([i](const Voice& x) { return x.mSources[i].mSecondOutput; });
    const V4 d = gather([i](const Voice& x) { return x.mSources[i].mSquareDuty; });
    o.duty = d < 0.0 ? Splat(0.0) : (d > 1.0 ? Splat(1.0) : d);
    o.lastFrequency = Splat(NAN);
  }
  V4 level[Voice::kSourceCount], depth[Voice::kSourceCount];
  for (int i = 0; i < Voice::kSourceCount; ++i) {
    level[i] = gather([i](const Voice& x) { return x.mLevels[i]; });
    depth[i] = gather([i](const Voice& x) { return x.mEnvelopeDepths[i]; });
  }
  // The first term of each source's factor 1 - d + d a.
  V4 keep[Voice::kSourceCount];
  for (int i = 0; i < Voice::kSourceCount; ++i) keep[i] = 1.0 - depth[i];
  const V4 velocity = gather([](const Voice& x) { return x.mVelocityGain; });
  F4 pink0{}, pink1{}, pink2{};
  // The pink noise's first two filters, pink0 in the low half.
  F8 pink01{};
  const F8 kPinkPoles{0.319f, 0.319f, 0.319f, 0.319f, 0.7756f, 0.7756f, 0.7756f, 0.7756f};
  const F8 kPinkWeights{0.02109238f, 0.02109238f, 0.02109238f, 0.02109238f,
                        0.07113478f, 0.07113478f, 0.07113478f, 0.07113478f};
  for (int l = 0; l < kLanes; ++l) {
    pink0[l] = src[l]->mSources[Voice::kPinkSource].mPinkState0;
    pink1[l] = src[l]->mSources[Voice::kPinkSource].mPinkState1;
    pink2[l] = src[l]->mSources[Voice::kPinkSource].mPinkState2;
  }
  // The pink noise's filters run on their states times 2^16, as they take
  // their draws (NoiseLanes::ValuesTimes65536()): each step's result is the
  // plain one times 2^16, exactly, as a power of two changes no rounding.
  pink01 = __builtin_shufflevector(pink0, pink1, 0, 1, 2, 3, 4, 5, 6, 7) * 65536.0f;
  pink2 *= 65536.0f;

  Settings noise{lead.mLevels[Voice::kWhiteSource] > 0.0, lead.mLevels[Voice::kPinkSource] > 0.0, 0};
  noise.draws = (noise.white ? 1 : 0) + (noise.pink ? 3 : 0);
  // Lane by lane, the draws of the first sample in voice order.
  uint32_t* randomState = noise.draws > 0 ? &vorblex_random::ThreadState() : nullptr;
  NoiseLanes draws;
  draws.draws = noise.draws;
  if (noise.draws > 0) draws.Plan(activeCount * noise.draws);
  if (randomState) {
    uint32_t state = *randomState;
    for (int l = 0; l < kLanes; ++l) {
      if (!v[l].IsActive()) continue;
      draws.lastLane = l;
      for (int k = 0; k < noise.draws; ++k) {
        state = state * vorblex_random::kMultiplier + vorblex_random::kIncrement;
        draws.state[k][l] = state;
      }
    }
    for (int l = 0; l < kLanes; ++l)
      for (int k = 0; k < noise.draws && !v[l].IsActive(); ++k) draws.state[k][l] = draws.state[k][first];
    if (noise.pink) draws.Pair(noise.white);
  }

  int total32 = static_cast<int>(n);
  V4 ampValue = amp.level;
  // Each stage runs over a chunk of samples before the next: the stages'
  // divisions and table look-ups then overlap from sample to sample instead
  // of waiting on one another within one.
  ChunkArrays& chunkArrays = *new (work.bytes) ChunkArrays;
  auto& freq = chunkArrays.freq;
  auto& ampAt = chunkArrays.ampAt;
  auto& srcAt = chunkArrays.srcAt;
  auto& levelAt = chunkArrays.levelAt;
  auto& lpAt = chunkArrays.lpAt;
  auto& hpAt = chunkArrays.hpAt;
  auto& mixAt = chunkArrays.mixAt;
  // Pitch and cutoffs that stay put for the whole run are worked out once,
  // with the arithmetic of their first sample.
  // The oscillators whose waveform sounds, and sources 2 to 5 that add to
  // the mix.
  bool sounds[kOsc];
  for (int k = 0; k < kOsc; ++k) sounds[k] = osc[k].runs && osc[k].waveform >= kOscTriangle && osc[k].waveform <= kOscWhistle;
  int sounding[Voice::kSourceCount - 1];
  int soundingCount = 0;
  for (int k = 1; k < kOsc; ++k)
    if (sounds[k]) sounding[soundingCount++] = k;
  if (noise.white) sounding[soundingCount++] = Voice::kWhiteSource;
  if (noise.pink) sounding[soundingCount++] = Voice::kPinkSource;
  const bool pitchMoves = Any(sweeps & (counter < total));
  const bool filtersMove = Any(fenv.multiplier != 1.0);
  constexpr double kSeriesFrom = static_cast<double>(pitchseries::kSeriesFrom);
  // t^curve at the counters `at`, lanes that sweep and have not ended: the
  // power itself up to kSeriesFrom, the series from there.
  auto sweepPower = [&](V4 at, M4 live) __attribute__((always_inline)) {
    const M4 bySeries = at >= kSeriesFrom;
    V4 b = Splat(1.0);
    if (Any(live & ~bySeries)) b = PowUnit(live & ~bySeries ? at * inverseTotal : Splat(0.5), curve);
    if (Any(live & bySeries)) {
      // The span's first sample.
      const V4 from = FromBits(Bits(at) & pitchseries::kSpanStartMask);
      const M4 renew = live & bySeries & (from != seriesAt);
      if (Any(renew)) RenewSeries(from, renew, inverseTotal, curve, series, seriesAt);
      b = bySeries ? pitchseries::Value(series, at - from) : b;
    }
    return live ? b : Splat(1.0);
  };
  auto pitchStep = [&](int i) __attribute__((always_inline)) {
    const M4 before = counter < total;
    V4 b = Splat(1.0);
    if (Any(before & sweeps)) b = sweepPower(counter, before & sweeps);
    counter += 1.0;
    position = sweeps ? (1.0 - b) * start + b * end : Splat(0.0);
    const Blend blend(position, high, low);
    for (int k = 0; k < kOsc; ++k) freq[k][i] = blend(base[k]);
  };
  // Samples [0, n) of the chunk: two at a time where the processor has
  // AVX-512 (the one-sample step takes an odd last one).
  auto pitchRun = [&](int n) __attribute__((always_inline)) {
    for (int i = 0; i < n;) {
      if (eight) {
        i += PitchEight(fused, pitch, &freq[0][0][0], i, n);
        if (i >= n) break;
      }
      pitchStep(i);
      ++i;
    }
  };
  auto filterStep = [&](int i) __attribute__((always_inline)) {
    fenv.level *= fenv.multiplier;
    const V4 e = fenv.level;
    SetCutoff(lp, LowPassTargetT<Lanes4>(e, lpBase, lpDepth, Voice::kFullCutoff));
    SetCutoff(hp, HighPassTargetT<Lanes4>(e, hpBase, hpDepth));
    lpAt[i] = lp.k4;
    hpAt[i] = hp.k4;
  };
  // A voice alone with steady filters and no pink noise takes its samples four
  // at a time, while each of its phases moves by at most a fifth of a cycle
  // per sample, so a phase wraps at most once in four samples.
  // The filter envelope may move where neither filter follows it.
  const bool steadyFilters = !filtersMove || !Any((lpDepth != 0.0) | (hpDepth != 0.0));
  bool lone = activeCount == 1 && steadyFilters && !noise.pink && total32 >= kStep && (DspTechniques() & kLoneVoice) != 0;
  for (int k = 0; k < kOsc && lone; ++k) {
    const int32_t w = osc[k].waveform;
    if (!sounds[k]) continue;
    const double fastest = std::fmax(base[k][first], std::fmax(high[first], low[first]));
    const double slowest = std::fmin(base[k][first], std::fmin(high[first], low[first]));
    const double top = w == kOscSaw ? 0.5 : 1.0;
    const double p = osc[k].phase[first];
    const double p2 = osc[k].secondPhase[first];
    lone = slowest >= 0.0 && (w == kOscWhistle ? 20.0 * fastest : fastest) <= 0.2 * rate && p >= top - 1.0 &&
           p < top + 0.5 && (w != kOscWhistle || (p2 >= 0.0 && p2 < 1.5));
  }
  if (lone) {
    // Groups of four start where the voice's own sample count is a multiple
    // of four, whatever the run, so the arithmetic of each sample and with
    // it the sound do not depend on how the host cuts its blocks. The
    // samples up to the first group and after the last go side by side.
    const int into = static_cast<int>(v[first].mPitchEnvelope.mSampleCounter % kStep);
    if (into != 0) {
      lone = false;
      total32 = kStep - into < total32 ? kStep - into : total32;
    } else {
      total32 -= total32 % kStep;
    }
    n = static_cast<uint64_t>(total32);
  }
  if (!pitchMoves) {
    pitchStep(0);
    counter += static_cast<double>(total32 - 1);
  }
  const double filterEnvelope = fenv.level[first];
  if (!filtersMove || lone) filterStep(0);
  if (lone) {
    const int l = first;
    const V4 upward{0.0, 1.0, 2.0, 3.0};
    double count = counter[l];
    double phase[kOsc], secondPhase[kOsc];
    V4 sums[kOsc], earlier[kOsc], sums2[kOsc], earlier2[kOsc], sawScale[kOsc], y[Voice::kSourceCount]{};
    // The white noise's draws of four samples: the generator's state after
    // one to four steps from the state before them.
    constexpr Jump kAhead[kStep] = {JumpAhead(1), JumpAhead(2), JumpAhead(3), JumpAhead(4)};
    const G4 aheadA{kAhead[0].a, kAhead[1].a, kAhead[2].a, kAhead[3].a};
    const G4 aheadC{kAhead[0].c, kAhead[1].c, kAhead[2].c, kAhead[3].c};
    uint32_t drawn = randomState ? *randomState : 0u;
    // The running sums of the increments over four samples, at frequency f.
    auto increments = [&](int k, V4 f) __attribute__((always_inline)) {
      sums[k] = RunningSum(f * oscRate);
      earlier[k] = Later(sums[k], 0.0);
      if (osc[k].waveform == kOscSaw) sawScale[k] = 8820.22 / f;
      if (osc[k].waveform == kOscWhistle) {
        sums2[k] = RunningSum((20.0 * f) * oscRate);
        earlier2[k] = Later(sums2[k], 0.0);
      }
    };
    for (int k = 0; k < kOsc; ++k) {
      phase[k] = osc[k].phase[l];
      secondPhase[k] = osc[k].secondPhase[l];
      y[k] = Splat(0.0);
      if (!pitchMoves) increments(k, Splat(freq[k][0][l]));
    }
    const double m = amp.multiplier[l];
    const V4 powers{m, m * m, m * m * m, (m * m) * (m * m)};
    double ampLevel = amp.level[l];
    const double fm = fenv.multiplier[l];
    const double fourfold = (fm * fm) * (fm * fm);
    double filterLevel = filterEnvelope;
    BlockFilter hpBlock, lpBlock;
    hpBlock.Prepare<true>(hp.k4.g[l], hp.k4.h[l], hp.k4.a[l], hp.k4.g2[l], hp.k4.c[l], hp.s1[l], hp.s2[l]);
    lpBlock.Prepare<false>(lp.k4.g[l], lp.k4.h[l], lp.k4.a[l], lp.k4.g2[l], lp.k4.c[l], lp.s1[l], lp.s2[l]);
    for (int i = 0; i < total32; i += kStep) {
      if (pitchMoves) {
        // The pitch of four samples, each as pitchStep() works it out.
        const V4 at = count + upward;
        const M4 before = at < total[l];
        V4 b = Splat(1.0);
        if (sweeps[l] && Any(before)) {
          if (count >= kSeriesFrom) {
            // The four samples share a span: groups start at multiples of
            // four, spans at multiples of their length, eight or more.
            const double from = static_cast<double>(pitchseries::SpanStart(static_cast<uint64_t>(count)));
            if (from != seriesAt[l]) {
              double fresh[pitchseries::kTerms];
              pitchseries::Coefficients(fastmath::PowUnit(from * inverseTotal[l], curve[l]), from, curve[l], fresh);
              for (int k = 0; k < pitchseries::kTerms; ++k) series[k][l] = fresh[k];
              seriesAt[l] = from;
            }
            V4 a[pitchseries::kTerms];
            for (int k = 0; k < pitchseries::kTerms; ++k) a[k] = Splat(series[k][l]);
            b = pitchseries::Value(a, at - from);
          } else {
            b = PowUnit(before ? at * inverseTotal[l] : Splat(0.5), Splat(curve[l]));
          }
          b = before ? b : Splat(1.0);
        }
        count += kStep;
        const V4 pos = sweeps[l] ? (1.0 - b) * start[l] + b * end[l] : Splat(0.0);
        position[l] = pos[kStep - 1];
        for (int k = 0; k < kOsc; ++k) {
          const V4 f = Blend(pos, Splat(high[l]), Splat(low[l]))(Splat(base[k][l]));
          frequency[k][l] = f[kStep - 1];
          if (osc[k].runs) increments(k, f);
        }
      }
      // Unrolled, so the phases stay in registers from one group to the next.
#pragma GCC unroll 3
      for (int k = 0; k < kOsc; ++k) {
        OscLanes& o = osc[k];
        if (!sounds[k]) continue;
        const Phases ph = StepPhases(phase[k], o.waveform == kOscSaw ? 0.5 : 1.0, sums[k], earlier[k]);
        // Only the whistle reads a second phase.
        const Phases ph2 = o.waveform == kOscWhistle ? StepPhases(secondPhase[k], 1.0, sums2[k], earlier2[k]) : ph;
        V4 value;
        switch (o.waveform) {
        case kOscTriangle: value = LoneWave<kOscTriangle>(o, l, ph, ph2, sawScale[k]); break;
        case kOscSin: value = LoneWave<kOscSin>(o, l, ph, ph2, sawScale[k]); break;
        case kOscSquare: value = LoneWave<kOscSquare>(o, l, ph, ph2, sawScale[k]); break;
        case kOscSaw: value = LoneWave<kOscSaw>(o, l, ph, ph2, sawScale[k]); break;
        case kOscBreaker: value = LoneWave<kOscBreaker>(o, l, ph, ph2, sawScale[k]); break;
        case kOscTan: value = LoneWave<kOscTan>(o, l, ph, ph2, sawScale[k]); break;
        default: value = LoneWave<kOscWhistle>(o, l, ph, ph2, sawScale[k]); break;
        }
        y[k] = value * level[k][l];
      }
      if (noise.white) {
        const G4 states = drawn * aheadA + aheadC;
        drawn = states[kStep - 1];
        const V4 w = Widen(reinterpret_cast<N4>((states >> 16) & 0x7FFFu));
        y[Voice::kWhiteSource] = (Oscilator::OverMaxDraw(w) * 2.0 - 1.0) * level[Voice::kWhiteSource][l];
      }
      // A resting stage multiplies by exactly 1.
      const V4 a = m == 1.0 ? Splat(ampLevel) : ampLevel * powers;
      ampLevel = a[kStep - 1];
      if (fm != 1.0) filterLevel *= fourfold;
      V4 mix = y[0] * (1.0 - depth[0][l] + depth[0][l] * a);
      for (int j = 0; j < soundingCount; ++j) {
        const int k = sounding[j];
        mix += y[k] * (1.0 - depth[k][l] + depth[k][l] * a);
      }
      mix = mix * velocity[l];
      const V4 heard = Flush(lpBlock.Step(Flush(hpBlock.Step(mix))));
      std::memcpy(out + i, &heard, sizeof heard);
    }
    for (int k = 0; k < kOsc; ++k) {
      osc[k].phase[l] = phase[k];
      osc[k].secondPhase[l] = secondPhase[k];
      if (!pitchMoves) frequency[k] = freq[k][0];
    }
    amp.level[l] = ampLevel;
    ampValue[l] = ampLevel;
    fenv.level[l] = filterLevel;
    if (randomState) *randomState = drawn;
    hp.s1[l] = hpBlock.s1;
    hp.s2[l] = hpBlock.s2;
    lp.s1[l] = lpBlock.s1;
    lp.s2[l] = lpBlock.s2;
  }
  const int pitchStride = pitchMoves ? 1 : 0;
  const int filterStride = filtersMove ? 1 : 0;
  // Their phases kept in registers.
  bool readsAfter[kOsc];
  // phaseAt: each step's phase before the step, and after the chunk's last
  // step the phase it leaves, so that the phases after each step start one
  // sample on.
  V4 phase[kOsc], secondPhase[kOsc], top[kOsc];
  auto& phaseAt = chunkArrays.phaseAt;
  auto& secondAt = chunkArrays.secondAt;
  bool whistles = false;
  for (int k = 0; k < kOsc; ++k) {
    const int32_t w = osc[k].waveform;
    readsAfter[k] = ReadsAfterStep(w);
    phase[k] = osc[k].phase;
    secondPhase[k] = osc[k].secondPhase;
    top[k] = Splat(w == kOscSaw ? 0.5 : 1.0);
    whistles = whistles || (sounds[k] && w == kOscWhistle);
  }
  // Otherwise the voices side by side, a chunk of samples at a time.
  // Oscilator's step "wrap, then add the increment f (1 / R)", the saw
  // wrapping at 1/2, for sample i of the chunk: the oscillators' phases side
  // by side instead of one oscillator's after another's.
  // Every slot steps, whether its waveform sounds or not, so the loop takes
  // no branch; the phases of the silent ones are not handed back.
  // While the pitch rests the increments do too, worked out once.
  V4 restingIncrement[kOsc]{};
  for (int k = 0; k < kOsc && !pitchMoves; ++k) restingIncrement[k] = Rounded(freq[k][0] * oscRate);
  auto phaseStep = [&](int i) __attribute__((always_inline)) {
#pragma GCC unroll 3
    for (int k = 0; k < kOsc; ++k) {
      const V4 increment = pitchMoves ? Rounded(freq[k][i] * oscRate) : restingIncrement[k];
      phaseAt[k][i] = phase[k];
      phase[k] = (phase[k] >= top[k] ? phase[k] - 1.0 : phase[k]) + increment;
    }
  };
  // After the chunk's n steps: the phases they leave, and the whistle's
  // second phases.
  auto phasesDone = [&](int n) __attribute__((always_inline)) {
    for (int k = 0; k < kOsc; ++k) phaseAt[k][n] = phase[k];
    for (int k = 0; k < kOsc && whistles; ++k) {
      if (!sounds[k] || osc[k].waveform != kOscWhistle) continue;
      for (int i = 0; i < n; ++i) {
        secondAt[k][i] = secondPhase[k];
        secondPhase[k] = Wrap(secondPhase[k]) + Rounded((20.0 * freq[k][i * pitchStride]) * oscRate);
      }
    }
  };
  // The amplitude envelope of sample i of the chunk: a wait on the level from
  // sample to sample, which the loop beside the filters fills.
  auto ampStep = [&](int i) __attribute__((always_inline)) {
    amp.level *= amp.multiplier;
    ampAt[i] = amp.level;
  };
  // The noises of sample i of the chunk.
  auto white = [&](int i, N4 draw) __attribute__((always_inline)) {
    srcAt[Voice::kWhiteSource][i] = (Oscilator::OverMaxDraw(Widen(draw)) * 2.0 - 1.0) * level[Voice::kWhiteSource];
  };
  const V4 pinkLevel = level[Voice::kPinkSource] * 0x1p-16;
  auto noiseStep = [&](int i) __attribute__((always_inline)) {
    if (noise.white && !noise.pink) white(i, draws.Value(0, i));
    if (noise.pink) {
      // The first two of the pink noise's filters side by side in eight
      // lanes, their draws with them.
      const N8 both = draws.ValuesTimes65536(0, i), third = draws.ValuesTimes65536(1, i);
      const F8 r12 = __builtin_convertvector(both, F8);
      const F4 r3 = __builtin_convertvector(__builtin_shufflevector(third, third, 0, 1, 2, 3), F4);
      pink01 = Rounded((pink01 - r12) * kPinkPoles) + r12;
      pink2 = Rounded((pink2 - r3) * 0.9613f) + r3;
      const F8 weighted = Rounded(pink01 * kPinkWeights);
      const F4 sum = __builtin_shufflevector(weighted, weighted, 4, 5, 6, 7) + __builtin_shufflevector(weighted, weighted, 0, 1, 2, 3) +
                     Rounded(pink2 * 0.6887356f);
      const F4 value = Rounded(sum * 6.103702e-5f) - 0.78096277f * 65536.0f;
      srcAt[Voice::kPinkSource][i] = Widen(value) * pinkLevel;
      if (noise.white) {
        const V4 w = Oscilator::OverMaxDrawTimes65536(Widen(__builtin_shufflevector(third, third, 4, 5, 6, 7)));
        srcAt[Voice::kWhiteSource][i] = (w * 2.0 - 1.0) * level[Voice::kWhiteSource];
      }
    }
  };
  // The voice filters of sample i (FilterMix), the voices that sound kept.
  // Where the caller does not read the sample, the low-pass filter only
  // steps its state (which does not depend on its output).
  auto filterMix = [&](int i, bool read) __attribute__((always_inline)) {
    const V4 x = Flush(Step<true>(hp, hpAt[i * filterStride], mixAt[i]));
    if (!read) {
      Step<true>(lp, lpAt[i * filterStride], x);
      return;
    }
    const V4 y = Flush(Step<false>(lp, lpAt[i * filterStride], x));
    mixAt[i] = FromBits(Bits(y) & reinterpret_cast<U4>(active));
  };
  auto noiseDone = [&](int chunk) __attribute__((always_inline)) {
    if (randomState) {
      *randomState = draws.Last(chunk - 1);
      draws.Next(chunk);
    }
  };
  // The pitch, the phases, the amplitude envelope and the noises of the
  // first chunk; each chunk then works out those of the next while its
  // filters run (below).
  const int first32 = total32 < kChunk ? total32 : kChunk;
  if (!lone && total32 > 0) {
    if (pitchMoves) pitchRun(first32);
    for (int i = 0; i < first32; ++i) phaseStep(i);
    for (int i = 0; i < first32; ++i) ampStep(i);
    phasesDone(first32);
    for (int i = 0; i < first32 && randomState; ++i) noiseStep(i);
    noiseDone(first32);
  }
  int nextRead = reads.first;
  if (!lone)
  for (int i0 = 0; i0 < total32; i0 += kChunk) {
    const int chunk = total32 - i0 < kChunk ? total32 - i0 : kChunk;
    const int next = total32 - i0 - chunk < kChunk ? total32 - i0 - chunk : kChunk;
    // The filter envelope and the filters' coefficients (BeginSample), in
    // loops of their own: the coefficients' divisions wait long, and overlap
    // from one sample to the next.
    if (filtersMove && eight) {
      for (int i = 0; i < chunk; ++i) {
        fenv.level *= fenv.multiplier;
        levelAt[i] = fenv.level;
      }
      CutoffsEight(fused, lp, hp, &levelAt[0][0], &lpBase[0], &lpDepth[0], &hpBase[0], &hpDepth[0], &lpAt[0].g[0], &hpAt[0].g[0],
                   chunk);
    } else if (filtersMove) {
      for (int i = 0; i < chunk; ++i) filterStep(i);
    }
    for (int k = 0; k < kOsc; ++k) frequency[k] = freq[k][(chunk - 1) * pitchStride];
    for (int k = 0; k < kOsc; ++k) {
      if (!osc[k].runs) continue;
      if (!sounds[k])  // "Off": the mix still reads oscillator 1
        for (int i = 0; i < chunk; ++i) srcAt[k][i] = Splat(0.0);
      const V4* at = phaseAt[k] + (readsAfter[k] ? 1 : 0);
      const V4* second = secondAt[k];
      OscLanes& o = osc[k];
      if (eight && WavesEight(fused, o.waveform, &at[0][0], &second[0][0], &freq[k][0][0], pitchStride, &level[k][0], &srcAt[k][0][0],
                              chunk, &o.output[0], &o.secondOutput[0], &o.lastFrequency[0], &o.sawScale[0], &o.duty[0]))
        continue;
      switch (osc[k].waveform) {
      case kOscTriangle: RunOscillator<kOscTriangle>(osc[k], at, second, freq[k], pitchStride, level[k], srcAt[k], chunk); break;
      case kOscSin: RunOscillator<kOscSin>(osc[k], at, second, freq[k], pitchStride, level[k], srcAt[k], chunk); break;
      case kOscSquare: RunOscillator<kOscSquare>(osc[k], at, second, freq[k], pitchStride, level[k], srcAt[k], chunk); break;
      case kOscSaw: RunOscillator<kOscSaw>(osc[k], at, second, freq[k], pitchStride, level[k], srcAt[k], chunk); break;
      case kOscBreaker: RunOscillator<kOscBreaker>(osc[k], at, second, freq[k], pitchStride, level[k], srcAt[k], chunk); break;
      case kOscTan: RunOscillator<kOscTan>(osc[k], at, second, freq[k], pitchStride, level[k], srcAt[k], chunk); break;
      case kOscWhistle: RunOscillator<kOscWhistle>(osc[k], at, second, freq[k], pitchStride, level[k], srcAt[k], chunk); break;
      default: break;
      }
    }
    // The mix under the amplitude envelope (FilterMix's input).
    if (eight) {
      MixEight(fused, &srcAt[0][0][0], kChunk * kLanes, sounding, soundingCount, &ampAt[0][0], &keep[0][0], &depth[0][0],
               &velocity[0], &mixAt[0][0], chunk);
    } else {
      for (int i = 0; i < chunk; ++i) {
        const V4 a = ampAt[i];
        // Silent sources would add exact zeros.
        V4 mix = srcAt[0][i] * (keep[0] + depth[0] * a);
        for (int j = 0; j < soundingCount; ++j) {
          const int k = sounding[j];
          mix += srcAt[k][i] * (keep[k] + depth[k] * a);
        }
        mixAt[i] = mix * velocity;
      }
    }
    // The sources are mixed: the next chunk's pitch, phases, amplitude
    // envelope and noises may take their place. The filters wait on their
    // own state from sample to sample; the phases, the envelope and the pink
    // noise do too, on theirs, and the draws' integer arithmetic fills the
    // wait: side by side in one loop, the waits overlap.
    if (pitchMoves) pitchRun(next);
    // The samples of the chunk the caller reads, one bit each.
    uint64_t readMask = 0;
    for (; nextRead < i0 + chunk; nextRead += reads.every) readMask |= uint64_t{1} << (nextRead - i0);
    const int both = next < chunk ? next : chunk;
    for (int i = 0; i < both; ++i) {
      filterMix(i, (readMask >> i) & 1u);
      phaseStep(i);
      ampStep(i);
      if (randomState) noiseStep(i);
    }
    for (int i = both; i < chunk; ++i) filterMix(i, (readMask >> i) & 1u);
    for (int i = both; i < next; ++i) {
      phaseStep(i);
      ampStep(i);
      if (randomState) noiseStep(i);
    }
    if (next > 0) {
      phasesDone(next);
      noiseDone(next);
    }
    // The voices' sum, where it is read.
    for (uint64_t m = readMask; m != 0; m &= m - 1) {
      const int i = __builtin_ctzll(m);
      const V4 heard = mixAt[i];
      out[i0 + i] = ((heard[0] + heard[1]) + heard[2]) + heard[3];
    }
  }

  // The amplitude of the last sample.
  if (!lone) ampValue = amp.level;
  if (!lone)
    for (int k = 0; k < kOsc; ++k) {
      if (!sounds[k]) continue;
      osc[k].phase = phase[k];
      osc[k].secondPhase = secondPhase[k];
    }

  // Hand the state back to the sounding voices.
  for (int l = 0; l < kLanes; ++l) {
    if (!active[l]) continue;
    Voice& x = v[l];
    x.mPitchEnvelope.mSampleCounter += n;
    x.mPitchEnvelope.mPosition = position[l];
    x.mPitchEnvelope.mSeriesAt = seriesAt[l];
    for (int k = 0; k < pitchseries::kTerms; ++k) x.mPitchEnvelope.mSeries[k] = series[k][l];
    for (int i = 0; i < kOsc; ++i) {
      x.mCurrentFrequencies[i] = frequency[i][l];
      if (!osc[i].runs) continue;
      Oscilator& o = x.mSources[i];
      o.mPhase = osc[i].phase[l];
      o.mOutput = osc[i].output[l];
      o.mSecondPhase = osc[i].secondPhase[l];
      o.mSecondOutput = osc[i].secondOutput[l];
    }
    if (noise.pink) {
      Oscilator& o = x.mSources[Voice::kPinkSource];
      o.mPinkState0 = pink01[l] * 0x1p-16f;
      o.mPinkState1 = pink01[4 + l] * 0x1p-16f;
      o.mPinkState2 = pink2[l] * 0x1p-16f;
    }
    x.mAmp = ampValue[l];
    for (EG* eg : {&x.mAmpEnvelope, &x.mFilterEnvelope}) {
      if (Timed(*eg)) eg->mCurrentSample += n;
    }
    x.mAmpEnvelope.mLevel = amp.level[l];
    x.mFilterEnvelope.mLevel = fenv.level[l];
    StoreFilter(x.mLowPass, lp, l);
    StoreFilter(x.mHighPass, hp, l);
  }
  return total32;
}

int VoiceLanes::RunWide(Voice* v, double rate, double* out, int count, Reads reads, Work& work) noexcept
{
  return RunT(v, rate, out, count, reads, work, false, false);
}

#pragma GCC pop_options

// The same code for processors with AVX-512: twice the vector registers,
// so the run's state stays in registers, and eight-lane stages.
#pragma GCC push_options
#pragma GCC target("avx2,avx512f,avx512vl,avx512dq,avx512bw")
#include "engine/LaneMath8.h"

namespace {
using lanemath8::V8;
using lanemath8::M8;
using lanemath8::Lanes8;
using lanemath8::Splat8;

// SetCutoff()'s coefficients, eight lanes at a time, always worked out.
struct Cutoffs8 {
  V8 cutoff, g, h, a, g2, c;
};
[[gnu::always_inline]] inline Cutoffs8 WorkOutCutoffs(V8 hz, V8 rate, V8 k)
{
  Cutoffs8 o;
  o.cutoff = lanemath8::ClampedCutoffT<Lanes8>(hz, rate);
  lanemath8::FastFilterCoefficientsT<Lanes8>(o.cutoff, rate, k, o.g, o.h, o.a, o.g2, o.c);
  return o;
}

// Samples i and i + 1 of an array of four doubles per sample; sample i twice
// where it is the last.
[[gnu::always_inline]] inline V8 Pair(const double* a, int i, int n)
{
  if (i + 1 < n) return reinterpret_cast<V8>(_mm512_loadu_pd(a + 4 * i));
  const V4 one = reinterpret_cast<V4>(_mm256_loadu_pd(a + 4 * i));
  return lanemath8::Join(one, one);
}

[[gnu::always_inline]] inline void Store(double* a, int i, int n, V8 y)
{
  if (i + 1 < n) _mm512_storeu_pd(a + 4 * i, reinterpret_cast<__m512d>(y));
  else _mm256_storeu_pd(a + 4 * i, reinterpret_cast<__m256d>(lanemath8::Low(y)));
}

// The last sample's four lanes of a pair.
[[gnu::always_inline]] inline V4 Last(V8 y, int i, int n) { return i + 1 < n ? lanemath8::High(y) : lanemath8::Low(y); }

// 8820.22 / f, the saw's scale, for the frequencies of n samples (four per
// sample) where each sample has its own. Two pairs of samples share one
// division, of the constant by the product of their frequencies, which
// rounds twice more than a quotient each (with fused multiply-adds, whose
// rounding differs anyway); the divider then takes half the time. Where a
// product leaves the range of normal numbers, each takes its own quotient.
[[gnu::always_inline]] inline void SawScalesT(const double* freq, int n, double* scales)
{
  for (int i = 0; i < n; i += 4) {
    const V8 a = Pair(freq, i, n);
    const bool both = i + 2 < n;
    const V8 b = both ? Pair(freq, i + 2, n) : a;
    const V8 product = a * b;
    V8 sa, sb;
    if (!Lanes8::Any(~((product >= 1e-250) & (product <= 1e250)))) {
      const V8 shared = 8820.22 / product;
      sa = b * shared;
      sb = a * shared;
    } else {
      sa = 8820.22 / a;
      sb = 8820.22 / b;
    }
    Store(scales, i, n, sa);
    if (both) Store(scales, i + 2, n, sb);
  }
}

// RunOscillator<W>() two samples at a time; with kFused, the saw's scales
// from SawScalesT().
template <int W, bool kFused>
[[gnu::always_inline]] inline void WavesEightT(const double* phaseAt, const double* secondAt, const double* freq, int stride,
                                               const double* level, double* out, int n, double* output,
                                               double* secondOutput, double* lastFrequency, double* sawScale,
                                               const double* duty)
{
  const V4 level4 = reinterpret_cast<V4>(_mm256_loadu_pd(level));
  const V8 level8 = lanemath8::Join(level4, level4);
  const V4 duty4 = W == kOscSquare ? reinterpret_cast<V4>(_mm256_loadu_pd(duty)) : Splat(0.0);
  const V8 duty8 = lanemath8::Join(duty4, duty4);
  M8 holds{};
  V8 y{}, second{};
  V4 scale4 = reinterpret_cast<V4>(_mm256_loadu_pd(sawScale));
  V4 last4 = reinterpret_cast<V4>(_mm256_loadu_pd(lastFrequency));
  if (W == kOscSaw && stride == 0) {
    // One frequency for the whole run: the scale changes with it only.
    const V4 f = reinterpret_cast<V4>(_mm256_loadu_pd(freq));
    if (Any(f != last4)) {
      last4 = f;
      scale4 = 8820.22 / f;
    }
  }
  alignas(64) double scales[kFused && W == kOscSaw ? 4 * kChunk : 1];
  if (kFused && W == kOscSaw && stride != 0) SawScalesT(freq, n, scales);
  M8 edges{};
  int i = 0;
  for (; i < n; i += 2) {
    const V8 p = Pair(phaseAt, i, n);
    if (W == kOscTriangle) {
      y = p <= 0.5 ? 4.0 * (p - 0.25) : 4.0 * (0.75 - p);
    } else if (W == kOscSin) {
      y = lanemath8::SinCyclesT<Lanes8>(p);
    } else if (W == kOscSaw) {
      // The scale of each sample's frequency: the same value the four-lane
      // form keeps from the last change of frequency.
      const V8 scale = stride == 0 ? lanemath8::Join(scale4, scale4) : (kFused ? Pair(scales, i, n) : 8820.22 / Pair(freq, i, n));
      y = lanemath8::SawValueT<Lanes8>(p, scale);
      if (stride != 0) {
        last4 = Last(Pair(freq, i, n), i, n);
        scale4 = Last(scale, i, n);
      }
    } else if (W == kOscBreaker) {
      y = lanemath8::AbsT<Lanes8>(1.0 - 2.0 * p * p) - 1.0;
    } else if (W == kOscSquare) {
      const M8 below = duty8 > p, above = duty8 < p;
      y = below ? Splat8(-1.0) : Splat8(1.0);
      holds |= ~below & ~above;
    } else if (W == kOscTan) {
      M8 edge;
      y = lanemath8::ClippedTanCyclesT<Lanes8>(p, edge);
      edges |= edge;
    } else {
      const V8 s = lanemath8::SinCyclesT<Lanes8>(p);
      second = lanemath8::SinCyclesT<Lanes8>(Pair(secondAt, i, n));
      y = s;
      Store(out, i, n, (s + 0.25 * second) * level8);
      continue;
    }
    Store(out, i, n, y * level8);
  }
  if (W == kOscTan && Lanes8::Any(edges)) {
    // A phase on the half cycle (or not finite): the run once more, with
    // the scalar tangent where the vector form leaves it. Kept out of the
    // loop above, whose vector registers a call would take.
    for (i = 0; i < n; i += 2) {
      y = lanemath8::ClippedTanCyclesT<Lanes8>(Pair(phaseAt, i, n));
      Store(out, i, n, y * level8);
    }
  }
  if (W == kOscSquare && Lanes8::Any(holds)) {
    // A phase on the duty (or not a number) holds the last value: the run
    // once more, one sample after the other.
    V4 last = reinterpret_cast<V4>(_mm256_loadu_pd(output));
    for (i = 0; i < n; ++i) {
      const V4 p = reinterpret_cast<V4>(_mm256_loadu_pd(phaseAt + 4 * i));
      last = duty4 > p ? Splat(-1.0) : (duty4 < p ? Splat(1.0) : last);
      _mm256_storeu_pd(out + 4 * i, reinterpret_cast<__m256d>(last * level4));
    }
    _mm256_storeu_pd(output, reinterpret_cast<__m256d>(last));
    return;
  }
  if (n <= 0) return;
  i -= 2;
  _mm256_storeu_pd(output, reinterpret_cast<__m256d>(Last(y, i, n)));
  if (W == kOscWhistle) _mm256_storeu_pd(secondOutput, reinterpret_cast<__m256d>(Last(second, i, n)));
  if (W == kOscSaw) {
    _mm256_storeu_pd(lastFrequency, reinterpret_cast<__m256d>(last4));
    _mm256_storeu_pd(sawScale, reinterpret_cast<__m256d>(scale4));
  }
}

// The bodies of CutoffsEight(), MixEight(), PitchEight() and WavesEight().
template <typename Filters>
[[gnu::always_inline]] inline void CutoffsEightT(Filters& lowPass, Filters& highPass, const double* levels,
                                                 const double* lowBase, const double* lowDepth, const double* highBase,
                                                 const double* highDepth, double* lowAt, double* highAt, int n)
{
  // One filter after the other, so that one filter's values fit in the
  // registers. Each sample's coefficients are stored four doubles at a
  // time, as the loop of the filters reads them. SetCutoff() keeps a
  // filter's coefficients while no lane's cutoff moves; worked out afresh
  // from the same cutoffs they are the same values, so every sample takes
  // fresh ones, without the check.
  auto pass = [levels, n](Filters& f, const double* baseAt, const double* depthAt, double* at, auto low)
                  __attribute__((always_inline)) {
    auto twice = [](const double* x) __attribute__((always_inline)) {
      const V4 four = reinterpret_cast<V4>(_mm256_loadu_pd(x));
      return lanemath8::Join(four, four);
    };
    const V8 base = twice(baseAt), depth = twice(depthAt);
    const V8 rate = lanemath8::Join(f.rate, f.rate), k = lanemath8::Join(f.k, f.k);
    // The target's formula follows the depth's sign; where every lane has
    // the same sign, only its formula is worked out (the same bits).
    const bool up = !Lanes8::Any(~(depth > 0.0)), down = !Lanes8::Any(~(depth < 0.0));
    auto target = [&](V8 e) __attribute__((always_inline)) {
      constexpr double kFull = Voice::kFullCutoff;
      if (decltype(low)::value)
        return up ? lanemath8::LowPassUpT<Lanes8>(e, base, depth, kFull)
                  : (down ? lanemath8::LowPassDownT<Lanes8>(e, base, depth, kFull)
                          : lanemath8::LowPassTargetT<Lanes8>(e, base, depth, kFull));
      return up ? lanemath8::HighPassUpT<Lanes8>(e, base, depth)
                : (down ? lanemath8::HighPassDownT<Lanes8>(e, base, depth) : lanemath8::HighPassTargetT<Lanes8>(e, base, depth));
    };
    constexpr int kPerSample = sizeof(Coefficients) / sizeof(double);
    Cutoffs8 fresh{};
    for (int i = 0; i < n; i += 2) {
      const V8 e = Pair(levels, i, n);
      fresh = WorkOutCutoffs(target(e), rate, k);
      double* to = at + kPerSample * i;
      auto store = [&](int m, V8 x) __attribute__((always_inline)) {
        _mm256_storeu_pd(to + 4 * m, reinterpret_cast<__m256d>(lanemath8::Low(x)));
        if (i + 1 < n) _mm256_storeu_pd(to + kPerSample + 4 * m, reinterpret_cast<__m256d>(lanemath8::High(x)));
      };
      store(0, fresh.g);
      store(1, fresh.h);
      store(2, fresh.a);
      store(3, fresh.g2);
      store(4, fresh.c);
    }
    if (n <= 0) return;
    const int last = (n - 1) % 2;
    auto pick = [last](V8 x) __attribute__((always_inline)) { return last == 0 ? lanemath8::Low(x) : lanemath8::High(x); };
    f.k4 = Coefficients{pick(fresh.g), pick(fresh.h), pick(fresh.a), pick(fresh.g2), pick(fresh.c)};
    f.cutoff = f.coefficientCutoff = pick(fresh.cutoff);
  };
  pass(lowPass, lowBase, lowDepth, lowAt, std::true_type{});
  pass(highPass, highBase, highDepth, highAt, std::false_type{});
}

// MixEightT() for a fixed number of sources, so that their factors stay in
// registers and the sum's steps are laid out one after the other.
template <int kCount>
[[gnu::always_inline]] inline void MixFixedT(const V8* keepBoth, const V8* depthBoth, const double* const* sources,
                                             V8 gain, const double* ampAt, double* mixAt, int n)
{
  V8 keep[kCount], depth[kCount];
  const double* from[kCount];
  bool same = true;
  for (int j = 0; j < kCount; ++j) {
    keep[j] = keepBoth[j], depth[j] = depthBoth[j], from[j] = sources[j];
    same = same && !Lanes8::Any((keep[j] != keep[0]) | (depth[j] != depth[0]));
  }
  if (same) {
    // One factor for all (each source at the same envelope depth, as by
    // default): worked out once per sample, the same value each time.
    for (int i = 0; i < n; i += 2) {
      const V8 factor = keep[0] + depth[0] * Pair(ampAt, i, n);
      V8 mix = Pair(from[0], i, n) * factor;
#pragma GCC unroll 4
      for (int j = 1; j < kCount; ++j) mix += Pair(from[j], i, n) * factor;
      Store(mixAt, i, n, mix * gain);
    }
    return;
  }
  for (int i = 0; i < n; i += 2) {
    const V8 a = Pair(ampAt, i, n);
    V8 mix = Pair(from[0], i, n) * (keep[0] + depth[0] * a);
#pragma GCC unroll 4
    for (int j = 1; j < kCount; ++j) mix += Pair(from[j], i, n) * (keep[j] + depth[j] * a);
    Store(mixAt, i, n, mix * gain);
  }
}

[[gnu::always_inline]] inline void MixEightT(const double* sources, int stride, const int* sounding, int soundingCount,
                                             const double* ampAt, const double* keep, const double* depth,
                                             const double* velocity, double* mixAt, int n)
{
  auto twice = [](const double* x) __attribute__((always_inline)) {
    const V4 four = reinterpret_cast<V4>(_mm256_loadu_pd(x));
    return lanemath8::Join(four, four);
  };
  // Each source's factors in both halves, and where its samples start.
  V8 keepBoth[Voice::kSourceCount], depthBoth[Voice::kSourceCount];
  const double* from[Voice::kSourceCount];
  const int count = soundingCount + 1;
  for (int j = 0; j < count; ++j) {
    const int k = j == 0 ? 0 : sounding[j - 1];
    keepBoth[j] = twice(keep + 4 * k);
    depthBoth[j] = twice(depth + 4 * k);
    from[j] = sources + k * stride;
  }
  const V8 gain = twice(velocity);
  static_assert(Voice::kSourceCount == 5, "one case per count of sources");
  switch (count) {
  case 1: MixFixedT<1>(keepBoth, depthBoth, from, gain, ampAt, mixAt, n); break;
  case 2: MixFixedT<2>(keepBoth, depthBoth, from, gain, ampAt, mixAt, n); break;
  case 3: MixFixedT<3>(keepBoth, depthBoth, from, gain, ampAt, mixAt, n); break;
  case 4: MixFixedT<4>(keepBoth, depthBoth, from, gain, ampAt, mixAt, n); break;
  default: MixFixedT<5>(keepBoth, depthBoth, from, gain, ampAt, mixAt, n); break;
  }
}

template <typename Pitch>
[[gnu::always_inline]] inline int PitchEightT(Pitch& p, double* freq, int from, int n)
{
  using lanemath8::Join;
  const M8 sweeps = reinterpret_cast<M8>(Join(reinterpret_cast<V4>(p.sweeps), reinterpret_cast<V4>(p.sweeps)));
  const V8 total = Join(p.total, p.total), start = Join(p.start, p.start), end = Join(p.end, p.end);
  const V8 high = Join(p.high, p.high), low = Join(p.low, p.low);
  const V8 inverseTotal = Join(p.inverseTotal, p.inverseTotal), curve = Join(p.curve, p.curve);
  V8 series[pitchseries::kTerms], base[kOsc];
  auto joinSeries = [&]() __attribute__((always_inline)) {
    for (int k = 0; k < pitchseries::kTerms; ++k) series[k] = Join(p.series[k], p.series[k]);
  };
  joinSeries();
  for (int k = 0; k < kOsc; ++k) base[k] = Join(p.base[k], p.base[k]);
  const V8 one = Splat8(1.0), zero = Splat8(0.0);
  V4 counter = p.counter;
  V8 position = Join(p.position, p.position);
  auto renewal = [&p](V4 first, M4 renew) __attribute__((always_inline)) {
    RenewSeries(first, renew, p.inverseTotal, p.curve, p.series, p.seriesAt);
  };
  // Samples i and i + 1 at b = t^curve: the position and, blended
  // (PitchEnvelope::Apply), each oscillator's frequency.
  auto emit = [&](int i, V8 b) __attribute__((always_inline)) {
    position = sweeps ? (1.0 - b) * start + b * end : zero;
    const M8 up = position > 0.0, down = position < 0.0;
    const V8 weight = up ? 1.0 - position : (down ? 1.0 + position : one);
    const V8 share = up ? position * high : (down ? (-position) * low : zero);
#pragma GCC unroll 3
    for (int k = 0; k < kOsc; ++k)
      _mm512_storeu_pd(freq + 4 * (k * kChunk + i), reinterpret_cast<__m512d>(weight * base[k] + share));
  };
  int i = from;
  for (; i + 1 < n; i += 2) {
    const V8 at = Join(counter, counter + 1.0);
    const M8 live = (at < total) & sweeps;
    const M8 bySeries = at >= static_cast<double>(pitchseries::kSeriesFrom);
    // Before the series starts: the power itself.
    V8 b = one;
    if (Lanes8::Any(live & ~bySeries)) b = lanemath8::PowUnitT<Lanes8>(live & ~bySeries ? at * inverseTotal : Splat8(0.5), curve);
    if (Lanes8::Any(live & bySeries)) {
      // The span's first sample.
      const V8 first = Lanes8::FromBits(Lanes8::Bits(at) & pitchseries::kSpanStartMask);
      const M8 renew = live & bySeries & (first != Join(p.seriesAt, p.seriesAt));
      if (Lanes8::Any(renew)) {
        // Sample i renews first, then sample i + 1 from what sample i left,
        // as one sample after the other would.
        renewal(lanemath8::Low(first), reinterpret_cast<M4>(lanemath8::Low(reinterpret_cast<V8>(renew))));
        V4 lowHalf[pitchseries::kTerms];
        for (int k = 0; k < pitchseries::kTerms; ++k) lowHalf[k] = p.series[k];
        const M4 later = reinterpret_cast<M4>(lanemath8::High(reinterpret_cast<V8>(live & bySeries))) &
                         (lanemath8::High(first) != p.seriesAt);
        if (Any(later)) renewal(lanemath8::High(first), later);
        for (int k = 0; k < pitchseries::kTerms; ++k) series[k] = Join(lowHalf[k], p.series[k]);
        b = bySeries ? pitchseries::Value(series, at - first) : b;
        joinSeries();
      } else {
        b = bySeries ? pitchseries::Value(series, at - first) : b;
      }
    }
    b = live ? b : one;
    counter += 2.0;
    emit(i, b);
    // Samples on, every lane that sweeps takes the series it has until its
    // span or its sweep ends: a stretch of pairs without the checks above.
    const M4 sweeping = p.sweeps & (counter < p.total);
    const M4 current = FromBits(Bits(counter - 1.0) & pitchseries::kSpanStartMask) == p.seriesAt;
    if (Any(sweeping & ((counter < static_cast<double>(pitchseries::kSeriesFrom)) | ~current))) continue;
    const V4 spanEnd = p.seriesAt + FromBits(Bits(p.seriesAt) & 0x7FF0000000000000ull) * pitchseries::kSpanFraction;
    const V4 limit = sweeping ? (spanEnd < p.total ? spanEnd : p.total) - counter : Splat(1e300);
    const double fewest = std::fmin(std::fmin(limit[0], limit[1]), std::fmin(limit[2], limit[3]));
    int pairs = static_cast<int>(std::fmin(fewest, static_cast<double>(n - i - 2))) / 2;
    if (pairs <= 0) continue;
    const M8 stays = reinterpret_cast<M8>(Join(reinterpret_cast<V4>(sweeping), reinterpret_cast<V4>(sweeping)));
    const V8 first = Join(p.seriesAt, p.seriesAt);
    V8 next = Join(counter, counter + 1.0);
    counter += 2.0 * pairs;
    for (; pairs > 0; --pairs) {
      i += 2;
      const V8 value = pitchseries::Value(series, next - first);
      emit(i, stays ? value : one);
      next += 2.0;
    }
  }
  p.counter = counter;
  if (i != from) p.position = lanemath8::High(position);
  return i - from;
}

template <bool kFused>
[[gnu::always_inline]] inline bool WavesEightAny(int waveform, const double* phaseAt, const double* secondAt,
                                                 const double* freq, int stride, const double* level, double* out, int n,
                                                 double* output, double* secondOutput, double* lastFrequency,
                                                 double* sawScale, const double* duty)
{
  switch (waveform) {
  case kOscTriangle: WavesEightT<kOscTriangle, kFused>(phaseAt, secondAt, freq, stride, level, out, n, output, secondOutput, lastFrequency, sawScale, duty); return true;
  case kOscSquare: WavesEightT<kOscSquare, kFused>(phaseAt, secondAt, freq, stride, level, out, n, output, secondOutput, lastFrequency, sawScale, duty); return true;
  case kOscSin: WavesEightT<kOscSin, kFused>(phaseAt, secondAt, freq, stride, level, out, n, output, secondOutput, lastFrequency, sawScale, duty); return true;
  case kOscSaw: WavesEightT<kOscSaw, kFused>(phaseAt, secondAt, freq, stride, level, out, n, output, secondOutput, lastFrequency, sawScale, duty); return true;
  case kOscBreaker: WavesEightT<kOscBreaker, kFused>(phaseAt, secondAt, freq, stride, level, out, n, output, secondOutput, lastFrequency, sawScale, duty); return true;
  case kOscTan: WavesEightT<kOscTan, kFused>(phaseAt, secondAt, freq, stride, level, out, n, output, secondOutput, lastFrequency, sawScale, duty); return true;
  case kOscWhistle: WavesEightT<kOscWhistle, kFused>(phaseAt, secondAt, freq, stride, level, out, n, output, secondOutput, lastFrequency, sawScale, duty); return true;
  default: return false;
  }
}

// f(a...) compiled once more with fused multiply-adds (kFusedMultiplyAdd):
// f is inlined into this function, whose arithmetic may fold a product into
// the sum that takes it, one rounding instead of two. Every processor with
// AVX-512 has FMA.
template <typename F, typename... A>
[[gnu::noinline]] __attribute__((target("fma"), optimize("fp-contract=fast"))) auto CallFused(const F& f, A&&... a)
{
  return f(std::forward<A>(a)...);
}

// f(a...) as compiled here or, with `fused`, by CallFused().
template <typename F, typename... A>
[[gnu::always_inline]] inline auto CallEight(bool fused, const F& f, A&&... a)
{
  return fused ? CallFused(f, std::forward<A>(a)...) : f(std::forward<A>(a)...);
}
}  // namespace

int VoiceLanes::RunEight(Voice* v, double rate, double* out, int count, Reads reads, Work& work, bool fused) noexcept
{
  if (fused)
    return CallFused([](auto&&... a) __attribute__((always_inline)) { return RunT(a..., true, true); }, v, rate, out,
                     count, reads, work);
  return RunT(v, rate, out, count, reads, work, true, false);
}

void VoiceLanes::CutoffsEight(bool fused, FilterLanes& lowPass, FilterLanes& highPass, const double* levels,
                              const double* lowBase, const double* lowDepth, const double* highBase,
                              const double* highDepth, double* lowAt, double* highAt, int n) noexcept
{
  CallEight(fused, [](auto&&... a) __attribute__((always_inline)) { CutoffsEightT(a...); }, lowPass, highPass, levels,
            lowBase, lowDepth, highBase, highDepth, lowAt, highAt, n);
}

void VoiceLanes::MixEight(bool fused, const double* sources, int stride, const int* sounding, int soundingCount,
                          const double* ampAt, const double* keep, const double* depth, const double* velocity,
                          double* mixAt, int n) noexcept
{
  CallEight(fused, [](auto&&... a) __attribute__((always_inline)) { MixEightT(a...); }, sources, stride, sounding,
            soundingCount, ampAt, keep, depth, velocity, mixAt, n);
}

int VoiceLanes::PitchEight(bool fused, PitchLanes& p, double* freq, int from, int n) noexcept
{
  return CallEight(fused, [](auto&&... a) __attribute__((always_inline)) { return PitchEightT(a...); }, p, freq, from,
                   n);
}

bool VoiceLanes::WavesEight(bool fused, int waveform, const double* phaseAt, const double* secondAt,
                            const double* freq, int stride, const double* level, double* out, int n, double* output,
                            double* secondOutput, double* lastFrequency, double* sawScale, const double* duty) noexcept
{
  if (fused)
    return CallFused([](auto&&... a) __attribute__((always_inline)) { return WavesEightAny<true>(a...); }, waveform,
                     phaseAt, secondAt, freq, stride, level, out, n, output, secondOutput, lastFrequency, sawScale,
                     duty);
  return WavesEightAny<false>(waveform, phaseAt, secondAt, freq, stride, level, out, n, output, secondOutput,
                              lastFrequency, sawScale, duty);
}
#pragma GCC pop_options

#else
int VoiceLanes::RunWide(Voice*, double, double*, int, Reads, Work&) noexcept { return 0; }
int VoiceLanes::RunEight(Voice*, double, double*, int, Reads, Work&, bool) noexcept { return 0; }
void VoiceLanes::CutoffsEight(bool, FilterLanes&, FilterLanes&, const double*, const double*, const double*, const double*,
                              const double*, double*, double*, int) noexcept
{
}
bool VoiceLanes::WavesEight(bool, int, const double*, const double*, const double*, int, const double*, double*, int, double*, double*,
                            double*, double*, const double*) noexcept
{
  return false;
}
void VoiceLanes::MixEight(bool, const double*, int, const int*, int, const double*, const double*, const double*, const double*,
                          double*, int) noexcept
{
}
int VoiceLanes::PitchEight(bool, PitchLanes&, double*, int, int) noexcept { return 0; }

#endif


bool VoiceLanes::UsesWideLanes() noexcept { return WideLanesAvailable(); }

int VoiceLanes::Run(Voice* voices, double rate, double* out, int count, Work& work, int firstRead,
                    int readEvery) noexcept
{
  if (!WideLanesAvailable() || count <= 0)
    return 0;
  // A voice alone takes its four-sample steps faster in the AVX2 code
  // (measured: about 6 % on the benchmark's single voice).
  int active = 0;
  for (int l = 0; l < 4; ++l) active += voices[l].IsActive() ? 1 : 0;
  // Reads past the run's end do not matter: the values stay well inside an int.
  const Reads reads{firstRead < 0 ? 0 : (firstRead > count ? count : firstRead),
                    readEvery < 1 ? 1 : (readEvery > count ? count + 1 : readEvery)};
  return EightLanesAvailable() && active > 1 ? RunEight(voices, rate, out, count, reads, work, FusedLanesAvailable())
                                             : RunWide(voices, rate, out, count, reads, work);
}
