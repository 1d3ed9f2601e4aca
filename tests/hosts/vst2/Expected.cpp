#include "tests/hosts/vst2/Expected.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vst2host {
namespace {

constexpr double kRootHalf = 0.7071067811865476;
constexpr Kind C = Kind::kContinuous;
constexpr Kind I = Kind::kInteger;
constexpr Kind E = Kind::kEnumeration;

const char* const kWaveforms[] = {"Off", "Triangle", "Sin", "Square", "Saw", "Breaker", "Tan", "Whistle"};
const char* const kJumpTriggers[] = {"On NoteOn", "On NoteOff", "Both"};
const char* const kCrushPositions[] = {"Off", "Inside", "After"};

}  // namespace

const ParamModel kParams[kParamCount] = {
    {"Output Gain", C, -48, 12, -6, 0.1, "dB", 1},
    {"Osc1 Type", E, 0, 7, 1, 1, "", 1},
    {"Osc2 Type", E, 0, 7, 0, 1, "", 1},
    {"Osc3 Type", E, 0, 7, 0, 1, "", 1},
    {"Osc1 Level", C, -96, 0, 0, 0.1, "dB", 1},
    {"Osc2 Level", C, -96, 0, -96, 0.1, "dB", 1},
    {"Osc3 Level", C, -96, 0, -96, 0.1, "dB", 1},
    {"White Level", C, -96, 0, -96, 0.1, "dB", 1},
    {"Pink Level", C, -96, 0, -96, 0.1, "dB", 1},
    {"Osc1 Octave", I, -6, 6, 0, 1, "oct", 1},
    {"Osc2 Octave", I, -6, 6, 0, 1, "oct", 1},
    {"Osc3 Octave", I, -6, 6, 0, 1, "oct", 1},
    {"Osc1 Transpose", I, -12, 12, 0, 1, "st", 1},
    {"Osc2 Transpose", I, -12, 12, 0, 1, "st", 1},
    {"Osc3 Transpose", I, -12, 12, 0, 1, "st", 1},
    {"Osc1 Cents", I, -100, 100, 0, 1, "cts", 1},
    {"Osc2 Cents", I, -100, 100, 0, 1, "cts", 1},
    {"Osc3 Cents", I, -100, 100, 0, 1, "cts", 1},
    {"Osc1 Square Duty", C, 0.01, 0.5, 0.5, 0.01, "", 1},
    {"Osc2 Square Duty", C, 0.01, 0.5, 0.5, 0.01, "", 1},
    {"Osc3 Square Duty", C, 0.01, 0.5, 0.5, 0.01, "", 1},
    {"Osc1 Phase", C, 0, 1, 0, 0.001, "", 1},
    {"Osc2 Phase", C, 0, 1, 0, 0.001, "", 1},
    {"Osc3 Phase", C, 0, 1, 0, 0.001, "", 1},
    {"Osc1 EnvDepth", C, 0, 1, 1, 0.01, "", 1},
    {"Osc2 EnvDepth", C, 0, 1, 1, 0.01, "", 1},
    {"Osc3 EnvDepth", C, 0, 1, 1, 0.01, "", 1},
    {"Whiite EnvDepth", C, 0, 1, 1, 0.01, "", 1},
    {"Pink EnvDepth", C, 0, 1, 1, 0.01, "", 1},
    {"Amp Env Attack", C, 0.001, 10, 0.01, 0.001, "s", 3},
    {"Amp Env Hold", C, 0.001, 10, 0.001, 0.001, "s", 3},
    {"Amp Env Decay", C, 0.001, 10, 0.001, 0.001, "s", 3},
    {"Amp Env Sustain", C, 0.000001, 1, 1, 0.001, "", 2},
    {"Amp Env Release", C, 0.001, 10, 0.2, 0.001, "s", 3},
    {"Pitch High Note", I, 12, 127, 96, 1, "", 1},
    {"Pitch Low Note", I, 12, 127, 12, 1, "", 1},
    {"Pitch Duration", C, 0.001, 10, 1, 0.001, "s", 3},
    {"Pitch Start", C, -1, 1, 0, 0.001, "", 1},
    {"Pitch End", C, -1, 1, 0, 0.001, "", 1},
    {"Pitch Curve", C, 0.125, 8, 1, 0.005, "", 0},
    {"Filter LP Cutoff", C, 0, 22050, 22050, 0.1, "Hz", 3},
    {"Filter LP Resonance", C, kRootHalf, 6, kRootHalf, 0.001, "", 2},
    {"Filter LP Env Depth", C, -1, 1, 0, 0.1, "", 1},
    {"Filter HP Cutoff", C, 0, 22050, 0, 0.1, "Hz", 3},
    {"Filter HP Resonance", C, kRootHalf, 6, kRootHalf, 0.001, "", 2},
    {"Filter HP Env Depth", C, -1, 1, 0, 0.1, "", 1},
    {"Compression Factor", C, 0, 1, 0.3, 0.001, "", 1},
    {"Pitch Jump Transpose", I, -48, 48, 0, 1, "st", 1},
    {"Pitch Jump Delay", C, 0, 5, 0, 0.001, "s", 0},
    {"Pitch Jump Time", C, 0.01, 2, 0.5, 0.001, "s", 1},
    {"Pitch Jump Trigger", E, 0, 2, 0, 1, "", 1},
    {"Filter Env Attack", C, 0.001, 10, 0.01, 0.001, "s", 3},
    {"Filter Env Hold", C, 0.001, 10, 0.001, 0.001, "s", 3},
    {"Filter Env Decay", C, 0.001, 10, 0.001, 0.001, "s", 3},
    {"Filter Env Sustain", C, 0.001, 1, 1, 0.001, "", 2},
    {"Filter Env Release", C, 0.001, 10, 0.2, 0.001, "s", 3},
    {"BitCrush Position", E, 0, 2, 0, 1, "", 1},
    {"BitCrush Sample Rate", C, 200, 44100, 44100, 0.1, "", 1},
    {"BitCrush Bit Depth", C, 1, 24, 24, 0.01, "", 1},
    {"Mutation %", C, 0, 10, 5, 0.1, "", 1},
};

const char* DisplayText(int index, int value)
{
  if (value < 0)
    return nullptr;
  if (index >= 1 && index <= 3)
    return value < 8 ? kWaveforms[value] : nullptr;
  if (index == 50)
    return value < 3 ? kJumpTriggers[value] : nullptr;
  if (index == 56)
    return value < 3 ? kCrushPositions[value] : nullptr;
  return nullptr;
}

double Shape(int index)
{
  const ParamModel& p = kParams[index];
  if (p.shape != 0)
    return p.shape;
  // Places the real value 1 in the middle of the normalised range.
  return std::log((p.minimum - p.maximum) / (p.minimum - 1)) / std::log(2.0);
}

double RealFromNormalized(int index, double x)
{
  const ParamModel& p = kParams[index];
  double v = p.minimum + (p.maximum - p.minimum) * std::pow(x, Shape(index));
  if (p.kind != Kind::kContinuous)
    v = std::floor(v / p.step + 0.5) * p.step;
  return std::min(v, p.maximum);
}

double NormalizedFromReal(int index, double v)
{
  const ParamModel& p = kParams[index];
  v = std::clamp(v, p.minimum, p.maximum);
  return std::pow((v - p.minimum) / (p.maximum - p.minimum), 1.0 / Shape(index));
}

int Precision(double step)
{
  int precision = 0;
  while (step != std::floor(step) && precision < 6) {
    step *= 10;
    ++precision;
  }
  return precision;
}

std::string DisplayOf(int index, double v)
{
  const ParamModel& p = kParams[index];
  if (const char* text = DisplayText(index, static_cast<int>(v)))
    return text;
  char buf[64];
  int precision = p.kind == Kind::kContinuous ? Precision(p.step) : 0;
  if (precision == 0)
    std::snprintf(buf, sizeof buf, "%d", static_cast<int>(v));
  else
    std::snprintf(buf, sizeof buf, "%.*f", precision, v);
  return buf;
}

std::string LabelOf(int index, double v)
{
  if (DisplayText(index, static_cast<int>(v)))
    return std::string();
  return kParams[index].label;
}

}  // namespace vst2host
