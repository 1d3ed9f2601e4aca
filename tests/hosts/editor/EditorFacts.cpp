// The instrument built in-process with the window-less editor: the reference
// picture and the parameter facts the editor hosts check windows against.
#include "tests/hosts/editor/EditorFacts.h"

#include <cstdio>
#include <memory>

#include "editor/headless/IGraphicsHeadless.h"
#include "plugin/ParamTable.h"
#include "plugin/Vorblex.h"

namespace edhost {
namespace {

Vorblex& Reference()
{
  static std::unique_ptr<Vorblex> plug(new Vorblex());
  return *plug;
}

const IParameter& Param(int idx) { return *Reference().GetParameter(idx); }

std::uint32_t Rgb(std::uint32_t pixel) { return pixel & 0xFFFFFFu; }

}  // namespace

std::vector<std::uint32_t> HeadlessReference()
{
  auto& graphics = *static_cast<IGraphicsHeadless*>(Reference().GetEditor());
  graphics.OpenWindow(nullptr);
  graphics.Tick();
  LICE_IBitmap* bitmap = graphics.GetDrawBitmap();
  std::vector<std::uint32_t> pixels(static_cast<size_t>(kEditorWidth) * kEditorHeight, 0);
  for (int y = 0; y < kEditorHeight && y < bitmap->GetHeight(); ++y) {
    const LICE_pixel* row = LICE_Row(bitmap, y);
    for (int x = 0; x < kEditorWidth && x < bitmap->GetWidth(); ++x)
      pixels[static_cast<size_t>(y) * kEditorWidth + x] = Rgb(row[x]);
  }
  graphics.CloseWindow();
  return pixels;
}

int CountDifferent(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b)
{
  if (a.size() != b.size()) return -1;
  int n = 0;
  for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
  return n;
}

bool WritePpm(const std::string& path, const std::vector<std::uint32_t>& pixels, int width, int height)
{
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fprintf(f, "P6\n%d %d\n255\n", width, height);
  for (std::uint32_t p : pixels) {
    const unsigned char rgb[3] = {static_cast<unsigned char>(p >> 16), static_cast<unsigned char>(p >> 8),
                                  static_cast<unsigned char>(p)};
    std::fwrite(rgb, 1, 3, f);
  }
  return std::fclose(f) == 0;
}

ControlBox ControlArea(int idx)
{
  const IControl* control = Reference().GetEditor() ? static_cast<IGraphics*>(Reference().GetEditor())->GetControl(idx)
                                                    : nullptr;
  if (!control) return ControlBox{0, 0, 0, 0};
  const IRect& r = control->GetTargetRECT();
  return ControlBox{r.L, r.T, r.R, r.B};
}

std::string ControlTooltip(int idx)
{
  const IControl* control = static_cast<IGraphics*>(Reference().GetEditor())->GetControl(idx);
  return control ? control->GetTooltip() : std::string();
}

Knob KnobOf(int param)
{
  const ParamDesc& d = *GetParamDesc(param);
  Knob k{param, d.x, d.y, d.width, d.height, d.x + d.width / 2, d.y + 10, d.y + d.height - 8};
  return k;
}

int ParamKind(int param) { return Param(param).Kind(); }

double ParamDefaultNormalized(int param) { return Param(param).ToNormalized(Param(param).Default()); }

double ToNormalized(int param, double real) { return Param(param).ToNormalized(real); }

void ParamRange(int param, double* min, double* max)
{
  *min = Param(param).Min();
  *max = Param(param).Max();
}

int NDisplayTexts(int param) { return Param(param).NDisplayTexts(); }

std::vector<std::string> DisplayTexts(int param)
{
  std::vector<std::string> texts;
  for (int i = 0; i < NDisplayTexts(param); ++i) texts.push_back(Param(param).GetDisplayTextAtIndex(i));
  return texts;
}

int FindParam(int kind, double lo, double hi)
{
  for (int i = 0; i < kParamCount; ++i) {
    const IParameter& p = Param(i);
    const double d = ParamDefaultNormalized(i);
    if (p.Kind() == kind && !p.NegateDisplay() && d > lo && d < hi) return i;
  }
  return -1;
}

}  // namespace edhost
