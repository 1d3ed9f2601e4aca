#pragma once
// What every editor test host compares a window with, taken from the
// instrument built in-process with the window-less editor: the picture after
// the first tick, the controls' places and tooltips, and parameter facts.
#include <cstdint>
#include <string>
#include <vector>

namespace edhost {

constexpr int kEditorWidth = 846;
constexpr int kEditorHeight = 768;

// The same editor drawn without a window after its first tick, as 0xRRGGBB.
std::vector<std::uint32_t> HeadlessReference();
// Pixels that differ between two pictures of the same size.
int CountDifferent(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b);
bool WritePpm(const std::string& path, const std::vector<std::uint32_t>& pixels, int width, int height);

// Rectangle where control idx of the editor takes clicks (0 the background, 1 the keyboard,
// 5 the Random button, 14 and 15 the history steps, 78 the about overlay).
struct ControlBox {
  int left, top, right, bottom;
};
ControlBox ControlArea(int idx);
std::string ControlTooltip(int idx);

// Parameter facts of the instrument, read from its own table.
struct Knob {
  int param;
  int x, y, w, h;        // control rectangle
  int centerX, knobY;    // a point on the knob image
  int stripY;            // a point in the value strip below it
};
Knob KnobOf(int param);
int ParamKind(int param);
double ParamDefaultNormalized(int param);
// Normalised value of a real value of the parameter.
double ToNormalized(int param, double real);
void ParamRange(int param, double* min, double* max);
int NDisplayTexts(int param);
std::vector<std::string> DisplayTexts(int param);
// First parameter of a kind whose default lies within (lo, hi) normalised.
int FindParam(int kind, double lo, double hi);

}  // namespace edhost
