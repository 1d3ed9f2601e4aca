#pragma once
// Rendering helpers for tests of the whole instrument on the offline adapter.
#include <algorithm>
#include <cmath>
#include <vector>

#include "plugin/Vorblex.h"
#include "support/AllocGuard.h"

#include <gtest/gtest.h>

struct Stereo {
  std::vector<double> left, right;
};

// Renders nFrames in blocks of blockSize, both outputs connected unless
// oneOutput, handing `midi` (absolute sample offsets) to the block each falls in.
inline Stereo RenderFrames(Vorblex& plug, int nFrames, int blockSize, const std::vector<IMidiMessage>& midi = {},
                           bool oneOutput = false)
{
  Stereo s;
  s.left.assign(static_cast<size_t>(nFrames), 0.0);
  s.right.assign(static_cast<size_t>(nFrames), 0.0);
  for (int start = 0; start < nFrames; start += blockSize) {
    const int n = std::min(blockSize, nFrames - start);
    for (const IMidiMessage& m : midi) {
      if (m.mOffset >= start && m.mOffset < start + n) {
        IMidiMessage local = m;
        local.mOffset -= start;
        plug.AddMidi(local);
      }
    }
    double* outs[2] = {s.left.data() + start, s.right.data() + start};
    AllocGuard guard;
    plug.ProcessBlock(outs, oneOutput ? 1 : 2, n);
    if (guard.Count() != 0) ADD_FAILURE() << guard.Count() << " allocations while processing a block";
  }
  return s;
}

inline int FirstNonZero(const std::vector<double>& x, int from = 0)
{
  for (size_t i = static_cast<size_t>(from); i < x.size(); ++i)
    if (x[i] != 0.0) return static_cast<int>(i);
  return -1;
}

inline double Peak(const std::vector<double>& x, int from = 0, int to = -1)
{
  if (to < 0) to = static_cast<int>(x.size());
  double p = 0.0;
  for (int i = from; i < to; ++i) p = std::max(p, std::fabs(x[static_cast<size_t>(i)]));
  return p;
}

// Frequency from rising zero crossings of the mean-removed signal in [from, to).
inline double ZeroCrossingHz(const std::vector<double>& x, int from, int to, double sampleRate)
{
  double mean = 0.0;
  for (int i = from; i < to; ++i) mean += x[static_cast<size_t>(i)];
  mean /= (to - from);
  double first = -1.0, last = -1.0;
  int count = 0;
  for (int i = from + 1; i < to; ++i) {
    const double a = x[static_cast<size_t>(i - 1)] - mean, b = x[static_cast<size_t>(i)] - mean;
    if (a < 0.0 && b >= 0.0) {
      const double t = (i - 1) + a / (a - b);
      if (first < 0.0) first = t;
      last = t;
      ++count;
    }
  }
  if (count < 2) return 0.0;
  return (count - 1) * sampleRate / (last - first);
}

inline IMidiMessage NoteOn(int offset, int note, int velocity = 127, int channel = 0)
{
  return IMidiMessage(offset, static_cast<uint8_t>(0x90 | channel), static_cast<uint8_t>(note),
                      static_cast<uint8_t>(velocity));
}

inline IMidiMessage NoteOff(int offset, int note, int channel = 0)
{
  return IMidiMessage(offset, static_cast<uint8_t>(0x80 | channel), static_cast<uint8_t>(note), 0);
}

// Sets a parameter as a host would (real value) and applies it.
inline void SetParam(Vorblex& plug, int idx, double value)
{
  plug.GetParameter(idx)->Set(value);
  plug.OnParameterChange(idx);
}
