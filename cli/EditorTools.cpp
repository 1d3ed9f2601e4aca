#include "cli/EditorTools.h"

#include <cerrno>
#include <cstring>

#include "cli/CliCommon.h"
#include "cli/PngFile.h"
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

void WriteSnapshot(Vorblex& plug, const std::string& path)
{
  IGraphics& g = Editor(plug);
  g.SetAllControlsDirty();
  if (!g.Draw(IRect(0, 0, g.Width(), g.Height()))) throw CliError("the editor could not be drawn");
  LICE_IBitmap* bitmap = g.GetDrawBitmap();
  const std::string tmp = path + ".part";
  PngFile png;
  if (!png.Open(tmp, bitmap->GetWidth(), bitmap->GetHeight()))
    throw CliError("cannot write \"" + path + "\": " + std::strerror(errno));
  if (!png.Append(bitmap, bitmap->GetHeight()) || !png.Finish()) throw CliError("cannot write \"" + path + "\"");
  CommitFile(tmp, path);
}
