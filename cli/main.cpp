// vorblex: the instrument on the command line.
#include <CLI/CLI.hpp>

#include <cstdio>

#include "cli/ParamListing.h"
#include "engine/ParamTable.h"
#include "framework/IPlugOffline.h"

namespace {
// The instrument's parameter set on the in-process adapter.
class ParameterSet : public IPlugOffline {
public:
  ParameterSet() : IPlugOffline(Config()) { InitParameters(*this); }

private:
  static IPlugConfig Config()
  {
    IPlugConfig c;
    c.nParams = kParamCount;
    c.channelIOStr = "0-1 0-2";
    c.effectName = "Vorblex";
    c.makerName = "Tessolar";
    c.version = 0x00010001;
    c.uniqueID = MakeFourCC('s', 'p', 'g', 'p');
    c.makerID = MakeFourCC('P', 'q', 'x', 'r');
    c.isInstrument = true;
    c.midiIn = true;
    return c;
  }
};
}  // namespace

int main(int argc, char** argv)
{
  CLI::App app{"Vorblex: game-style sound effects"};
  app.require_subcommand(1);
  app.add_subcommand("params", "List the 60 parameters with range, default, unit and current value");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int code = app.exit(e);
    return code == 0 ? 0 : 2;
  }
  if (app.got_subcommand("params")) {
    ParameterSet plug;
    PrintParameters(plug, stdout);
  }
  return 0;
}
