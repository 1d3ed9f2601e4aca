#pragma once
// What the probe module's plug-in and the test host agree on: the probe
// writes these, the host decodes them (see ProbeSynth.cpp).
#include <cstdint>

namespace probe {
constexpr double kPi = 3.14159265358979323846;
constexpr int kEditorWidth = 846;
constexpr int kEditorHeight = 768;
// Output 2 carries the last MIDI message as a 24-bit code over 2^24.
constexpr double DecodeScale = 1.0 / 16777216.0;

constexpr uint32_t MidiCode(uint32_t status, uint32_t data1, uint32_t data2)
{
  return status << 16 | data1 << 8 | data2;
}

inline uint32_t CodeOf(double sample) { return static_cast<uint32_t>(sample * 16777216.0 + 0.5); }
}  // namespace probe
