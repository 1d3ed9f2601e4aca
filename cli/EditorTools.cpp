#include "cli/EditorTools.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "cli/CliCommon.h"
#include "editor/headless/IGraphicsHeadless.h"
#include "plugin/Vorblex.h"

const char* const kGenerateCategories[8] = {"pickup", "shoot", "powerup", "hit", "jump", "blip", "blade", "random"};

namespace {
// The generator of each category, in the order of kGenerateCategories.
using Tool = void (Vorblex::*)();
constexpr Tool kGenerators[8] = {&Vorblex::GeneratePickup, &Vorblex::GenerateShoot, &Vorblex::GeneratePowerup,
                                 &Vorblex::GenerateHit,    &Vorblex::GenerateJump,  &Vorblex::GenerateBlip,
                                 &Vorblex::GenerateBlade,  &Vorblex::GenerateRandom};

// The tools work through the editor's controls, and the command line has no
// window to give them: the plug-in's editor must be the window-less one.
IGraphicsHeadless& Editor(Vorblex& plug)
{
  if (!plug.GetEditor()) throw CliError("this build has no editor");
  auto* g = dynamic_cast<IGraphicsHeadless*>(plug.GetEditor());
  if (!g) throw CliError("this build's editor is not the window-less one");
  return *g;
}

void Run(Vorblex& plug, Tool tool)
{
  Editor(plug);
  (plug.*tool)();
}
}  // namespace

void RunGenerator(Vorblex& plug, const std::string& category)
{
  for (int c = 0; c < 8; ++c) {
    if (category == kGenerateCategories[c]) return Run(plug, kGenerators[c]);
  }
  throw CliError("unknown category \"" + category + "\" (pickup, shoot, powerup, hit, jump, blip, blade or random)");
}

void RunMutate(Vorblex& plug) { Run(plug, &Vorblex::Mutate); }

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
