#include "framework/HostIdentification.h"

#include <cstring>

namespace {
struct HostKey {
  const char* key;
  EHostKind kind;
};

// The order decides when one product string holds several keys.
constexpr HostKey kHostKeys[] = {
    {"cubase", kHostCubase},         {"reaper", kHostReaper},
    {"nuendo", kHostNuendo},         {"cakewalk", kHostSonar},
    {"samplitude", kHostSamplitude}, {"fruity", kHostFL},
    {"live", kHostAbletonLive},      {"melodyne", kHostMelodyne},
    {"vstmanlib", kHostVSTScanner},  {"aulab", kHostAULab},
    {"garageband", kHostGarageBand}, {"forte", kHostForte},
    {"chainer", kHostChainer},       {"audition", kHostAudition},
    {"orion", kHostOrion},           {"sawstudio", kHostSAWStudio},
    {"logic", kHostLogic},           {"digital", kHostDigitalPerformer},
    {"audiomulch", kHostAudioMulch}, {"presonus", kHostStudioOne},
    {"vst3plugintesthost", kHostVST3TestHost},
    {"protools", kHostProTools},     {"ardour", kHostArdour},
    {"standalone", kHostStandalone},
};
}  // namespace

EHostKind LookUpHost(const char* productString)
{
  char lower[256] = {};
  if (productString) {
    for (int i = 0; i < 255 && productString[i]; ++i) {
      char c = productString[i];
      lower[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
  }
  for (const HostKey& k : kHostKeys) {
    if (std::strstr(lower, k.key)) return k.kind;
  }
  return kHostUnknown;
}
