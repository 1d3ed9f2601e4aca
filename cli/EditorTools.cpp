#include "cli/EditorTools.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "cli/CliCommon.h"
#include "editor/IGraphics.h"
#include "engine/Vorblex.h"

const char* const kGenerateCategories[8] = {"pickup", "shoot", "powerup", "hit", "jump", "blip", "blade", "random"};

namespace {
// Control positions of the buttons in the editor layout.
constexpr int kRandomButton = 5;
constexpr int kMutateButton = 13;
constexpr int kCategoryButtons[7] = {6, 7, 8, 9, 10, 11, 12};  // pickup .. blade

IGraphics& Editor(Vorblex& plug)
{
  auto* g = static_cast<IGraphics*>(plug.GetEditor());
  if (!g) throw CliError("this build has no editor");
  return *g;
}

void Click(IGraphics& g, int controlIdx)
{
  const IRect r = g.GetControl(controlIdx)->GetRECT();
  const int x = (r.L + r.R) / 2, y = (r.T + r.B) / 2;
  g.OnMouseOver(x, y, IMouseMod());
  g.OnMouseDown(x, y, IMouseMod(true));
  g.OnMouseUp(x, y, IMouseMod());
}
}  // namespace

void PressGenerator(Vorblex& plug, const std::string& category)
{
  for (int c = 0; c < 7; ++c) {
    if (category == kGenerateCategories[c]) return Click(Editor(plug), kCategoryButtons[c]);
  }
  if (category == "random") return Click(Editor(plug), kRandomButton);
  throw CliError("unknown category \"" + category + "\" (pickup, shoot, powerup, hit, jump, blip, blade or random)");
}

void PressMutate(Vorblex& plug) { Click(Editor(plug), kMutateButton); }

namespace {
// libpng reports errors by longjmp; only plain data lives in this frame.
bool WritePngFile(std::FILE* f, const LICE_pixel* pixels, int width, int height, int rowSpan, uint8_t* row)
{
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    const LICE_pixel* src = pixels + static_cast<size_t>(y) * static_cast<size_t>(rowSpan);
    for (int x = 0; x < width; ++x) {
      row[3 * x] = static_cast<uint8_t>(src[x] >> 16);
      row[3 * x + 1] = static_cast<uint8_t>(src[x] >> 8);
      row[3 * x + 2] = static_cast<uint8_t>(src[x]);
    }
    png_write_row(png, row);
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}
}  // namespace

void WriteSnapshot(Vorblex& plug, const std::string& path)
{
  IGraphics& g = Editor(plug);
  g.SetAllControlsDirty();
  if (!g.Draw(IRect(0, 0, g.Width(), g.Height()))) throw CliError("the editor could not be drawn");
  LICE_IBitmap* bitmap = g.GetDrawBitmap();
  const std::string tmp = path + ".part";
  std::FILE* f = std::fopen(tmp.c_str(), "wb");
  if (!f) throw CliError("cannot write \"" + path + "\": " + std::strerror(errno));
  std::vector<uint8_t> row(static_cast<size_t>(bitmap->GetWidth()) * 3);
  const bool ok = WritePngFile(f, bitmap->GetBits(), bitmap->GetWidth(), bitmap->GetHeight(), bitmap->GetRowSpan(),
                               row.data());
  const bool closed = std::fclose(f) == 0;
  if (!ok || !closed || std::rename(tmp.c_str(), path.c_str()) != 0) {
    std::remove(tmp.c_str());
    throw CliError("cannot write \"" + path + "\"");
  }
}
