#include "plugin/ParamTable.h"

#include <cmath>

#include "framework/IPlugBase.h"

namespace {
constexpr double kSqrtHalf = 0.7071067811865476;

const ParamDesc kParamDescs[kParamCount] = {
    {"Output Gain", kParamContinuous, 752, 32, 72, 68, -6, -48, 12, 0.1, "dB", 1, "Output Gain"},  // 0
    {"Osc1 Type", kParamEnumeration, 32, 32, 72, 68, 1, 0, 7, 1, "", 1, "Osc1 Type"},  // 1
    {"Osc2 Type", kParamEnumeration, 32, 100, 72, 68, 0, 0, 7, 1, "", 1, "Osc2 Type"},  // 2
    {"Osc3 Type", kParamEnumeration, 32, 168, 72, 68, 0, 0, 7, 1, "", 1, "Osc3 Type"},  // 3
    {"Osc1 Level", kParamContinuous, 104, 32, 72, 68, 0, -96, 0, 0.1, "dB", 1, "Osc1 Level"},  // 4
    {"Osc2 Level", kParamContinuous, 104, 100, 72, 68, -96, -96, 0, 0.1, "dB", 1, "Osc2 Level"},  // 5
    {"Osc3 Level", kParamContinuous, 104, 168, 72, 68, -96, -96, 0, 0.1, "dB", 1, "Osc3 Level"},  // 6
    {"White Level", kParamContinuous, 104, 236, 72, 68, -96, -96, 0, 0.1, "dB", 1, "White Level"},  // 7
    {"Pink Level", kParamContinuous, 104, 304, 72, 68, -96, -96, 0, 0.1, "dB", 1, "Pink Level"},  // 8
    {"Osc1 Octave", kParamInteger, 248, 32, 72, 68, 0, -6, 6, 1, "oct", 1, "Osc1 Octave"},  // 9
    {"Osc2 Octave", kParamInteger, 248, 100, 72, 68, 0, -6, 6, 1, "oct", 1, "Osc2 Octave"},  // 10
    {"Osc3 Octave", kParamInteger, 248, 168, 72, 68, 0, -6, 6, 1, "oct", 1, "Osc3 Octave"},  // 11
    {"Osc1 Transpose", kParamInteger, 320, 32, 72, 68, 0, -12, 12, 1, "st", 1, "Osc1 Transpose"},  // 12
    {"Osc2 Transpose", kParamInteger, 320, 100, 72, 68, 0, -12, 12, 1, "st", 1, "Osc2 Transpose"},  // 13
    {"Osc3 Transpose", kParamInteger, 320, 168, 72, 68, 0, -12, 12, 1, "st", 1, "Osc3 Transpose"},  // 14
    {"Osc1 Cents", kParamInteger, 392, 32, 72, 68, 0, -100, 100, 1, "cts", 1, "Osc1 Cents"},  // 15
    {"Osc2 Cents", kParamInteger, 392, 100, 72, 68, 0, -100, 100, 1, "cts", 1, "Osc2 Cents"},  // 16
    {"Osc3 Cents", kParamInteger, 392, 168, 72, 68, 0, -100, 100, 1, "cts", 1, "Osc3 Cents"},  // 17
    {"Osc1 Square Duty", kParamContinuous, 536, 32, 72, 68, 0.5, 0.01, 0.5, 0.01, "", 1, "Osc1 Square Duty"},  // 18
    {"Osc2 Square Duty", kParamContinuous, 536, 100, 72, 68, 0.5, 0.01, 0.5, 0.01, "", 1, "Osc2 Square Duty"},  // 19
    {"Osc3 Square Duty", kParamContinuous, 536, 168, 72, 68, 0.5, 0.01, 0.5, 0.01, "", 1, "Osc3 Square Duty"},  // 20
    {"Osc1 Phase", kParamContinuous, 464, 32, 72, 68, 0, 0, 1, 0.001, "", 1, "Osc1 Phase"},  // 21
    {"Osc2 Phase", kParamContinuous, 464, 100, 72, 68, 0, 0, 1, 0.001, "", 1, "Osc2 Phase"},  // 22
    {"Osc3 Phase", kParamContinuous, 464, 168, 72, 68, 0, 0, 1, 0.001, "", 1, "Osc3 Phase"},  // 23
    {"Osc1 EnvDepth", kParamContinuous, 176, 32, 72, 68, 1, 0, 1, 0.01, "", 1, "Osc1 EnvDepth"},  // 24
    {"Osc2 EnvDepth", kParamContinuous, 176, 100, 72, 68, 1, 0, 1, 0.01, "", 1, "Osc2 EnvDepth"},  // 25
    {"Osc3 EnvDepth", kParamContinuous, 176, 168, 72, 68, 1, 0, 1, 0.01, "", 1, "Osc3 EnvDepth"},  // 26
    {"Whiite EnvDepth", kParamContinuous, 176, 236, 72, 68, 1, 0, 1, 0.01, "", 1, "White EnvDepth"},  // 27
    {"Pink EnvDepth", kParamContinuous, 176, 304, 72, 68, 1, 0, 1, 0.01, "", 1, "Pink EnvDepth"},  // 28
    {"Amp Env Attack", kParamContinuous, 32, 404, 72, 68, 0.01, 0.001, 10, 0.001, "s", 3, "Amp Env Attack"},  // 29
    {"Amp Env Hold", kParamContinuous, 104, 404, 72, 68, 0.001, 0.001, 10, 0.001, "s", 3, "Amp Env Hold"},  // 30
    {"Amp Env Decay", kParamContinuous, 176, 404, 72, 68, 0.001, 0.001, 10, 0.001, "s", 3, "Amp Env Decay"},  // 31
    {"Amp Env Sustain", kParamContinuous, 248, 404, 72, 68, 1, 0.000001, 1, 0.001, "", 2, "Amp Env Sustain"},  // 32
    {"Amp Env Release", kParamContinuous, 320, 404, 72, 68, 0.2, 0.001, 10, 0.001, "s", 3, "Amp Env Release"},  // 33
    {"Pitch High Note", kParamInteger, 320, 304, 72, 68, 96, 12, 127, 1, "", 1, "Pitch High Note"},  // 34
    {"Pitch Low Note", kParamInteger, 392, 304, 72, 68, 12, 12, 127, 1, "", 1, "Pitch Low Note"},  // 35
    {"Pitch Duration", kParamContinuous, 464, 304, 72, 68, 1, 0.001, 10, 0.001, "s", 3, "Pitch Envelope Duration"},  // 36
    {"Pitch Start", kParamContinuous, 536, 304, 72, 68, 0, -1, 1, 0.001, "", 1, "Pitch Start. -1=starts with the low note; 0=starts with input note pitch; 1=start with the high note"},  // 37
    {"Pitch End", kParamContinuous, 608, 304, 72, 68, 0, -1, 1, 0.001, "", 1, "Pitch End. -1=ends with the low note; 0=ends with input note pitch; 1=ends the high note"},  // 38
    {"Pitch Curve", kParamContinuous, 680, 304, 72, 68, 1, 0.125, 8, 0.005, "", 1, "Pitch Curve. 1 = linear"},  // 39
    {"Filter LP Cutoff", kParamContinuous, 464, 404, 72, 68, 22050, 0, 22050, 0.1, "Hz", 3, "Filter LP Cutoff"},  // 40
    {"Filter LP Resonance", kParamContinuous, 536, 404, 72, 68, kSqrtHalf, kSqrtHalf, 6, 0.001, "", 2, "Filter LP Resonance"},  // 41
    {"Filter LP Env Depth", kParamContinuous, 608, 404, 72, 68, 0, -1, 1, 0.1, "", 1, "Filter LP Env Depth"},  // 42
    {"Filter HP Cutoff", kParamContinuous, 464, 472, 72, 68, 0, 0, 22050, 0.1, "Hz", 3, "Filter HP Cutoff"},  // 43
    {"Filter HP Resonance", kParamContinuous, 536, 472, 72, 68, kSqrtHalf, kSqrtHalf, 6, 0.001, "", 2, "Filter HP Resonance"},  // 44
    {"Filter HP Env Depth", kParamContinuous, 608, 472, 72, 68, 0, -1, 1, 0.1, "", 1, "Filter HP Env Depth"},  // 45
    {"Compression Factor", kParamContinuous, 752, 304, 72, 68, 0.3, 0, 1, 0.001, "", 1, "Compression Factor"},  // 46
    {"Pitch Jump Transpose", kParamInteger, 752, 404, 72, 68, 0, -48, 48, 1, "st", 1, "Pitch Jump Transpose"},  // 47
    {"Pitch Jump Delay", kParamContinuous, 752, 472, 72, 68, 0, 0, 5, 0.001, "s", 1, "Delay to trigger the new note"},  // 48
    {"Pitch Jump Time", kParamContinuous, 752, 540, 72, 68, 0.5, 0.01, 2, 0.001, "s", 1, "Duration of the new note"},  // 49
    {"Pitch Jump Trigger", kParamEnumeration, 752, 612, 72, 44, 0, 0, 2, 1, "", 1, "When the new note is created?"},  // 50
    {"Filter Env Attack", kParamContinuous, 32, 472, 72, 68, 0.01, 0.001, 10, 0.001, "s", 3, "Filter Env Attack"},  // 51
    {"Filter Env Hold", kParamContinuous, 104, 472, 72, 68, 0.001, 0.001, 10, 0.001, "s", 3, "Filter Env Hold"},  // 52
    {"Filter Env Decay", kParamContinuous, 176, 472, 72, 68, 0.001, 0.001, 10, 0.001, "s", 3, "Filter Env Decay"},  // 53
    {"Filter Env Sustain", kParamContinuous, 248, 472, 72, 68, 1, 0.001, 1, 0.001, "", 2, "Filter Env Sustain"},  // 54
    {"Filter Env Release", kParamContinuous, 320, 472, 72, 68, 0.2, 0.001, 10, 0.001, "s", 3, "Filter Env Release"},  // 55
    {"BitCrush Position", kParamEnumeration, 680, 190, 72, 44, 0, 0, 2, 1, "", 1, "BitCrush Position. Inside the oversampling or at the end of the processing."},  // 56
    {"BitCrush Sample Rate", kParamContinuous, 680, 32, 72, 68, 44100, 200, 44100, 0.1, "", 1, "BitCrush Sample Rate"},  // 57
    {"BitCrush Bit Depth", kParamContinuous, 680, 100, 72, 68, 24, 1, 24, 0.01, "", 1, "BitCrush Bit Depth"},  // 58
    {"Mutation %", kParamContinuous, 32, 558, 72, 68, 5, 0, 10, 0.1, "", 1, "Mutation %"},  // 59
};
}  // namespace

const char* const kWaveformTexts[8] = {"Off", "Triangle", "Sin", "Square", "Saw", "Breaker", "Tan", "Whistle"};
const char* const kPitchJumpTriggerTexts[3] = {"On NoteOn", "On NoteOff", "Both"};
const char* const kBitCrushPositionTexts[3] = {"Off", "Inside", "After"};

const ParamDesc* GetParamDesc(int idx)
{
  return (idx >= 0 && idx < kParamCount) ? &kParamDescs[idx] : nullptr;
}

double ShapeForUnitMidpoint(double minimum, double maximum)
{
  return std::log((minimum - maximum) / (minimum - 1.0)) / std::log(2.0);
}

void InitParameters(IPlugBase& plug)
{
  for (int i = 0; i < kParamCount; ++i) {
    const ParamDesc& d = kParamDescs[i];
    IParameter* p = plug.GetParameter(i);
    if (!p) continue;
    switch (i) {
      case kOsc1Type:
      case kOsc2Type:
      case kOsc3Type:
        p->InitEnumeration(d.name, static_cast<int>(d.defaultValue), 8, d.label);
        for (int v = 0; v < 8; ++v) p->AddDisplayText(v, kWaveformTexts[v]);
        break;
      case kPitchJumpTrigger:
      case kBitCrushPosition: {
        const char* const* texts = i == kPitchJumpTrigger ? kPitchJumpTriggerTexts : kBitCrushPositionTexts;
        p->InitEnumeration(d.name, 0, 3, d.label);
        for (int v = 0; v < 3; ++v) p->AddDisplayText(v, texts[v]);
        break;
      }
      case kPitchCurve:
      case kPitchJumpDelay: {
        p->InitContinuous(d.name, d.label, d.defaultValue, d.minimum, d.maximum, d.step, 1.0);
        double shape = ShapeForUnitMidpoint(d.minimum, d.maximum);
        if (shape != 0.0) p->InitContinuous(d.name, d.label, d.defaultValue, d.minimum, d.maximum, d.step, shape);
        break;
      }
      default:
        if (d.kind == kParamInteger) {
          p->InitInteger(d.name, static_cast<int>(d.defaultValue), static_cast<int>(d.minimum),
                         static_cast<int>(d.maximum), d.label);
        } else {
          p->InitContinuous(d.name, d.label, d.defaultValue, d.minimum, d.maximum, d.step, d.shape);
        }
        break;
    }
  }
}
