// Pictures of sounds: where a sine shows in the spectrogram, what silence
// draws, and the sizes of the files `generate --sheet` and `plot` write.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "cli/SoundSheet.h"
#include "tests/cli/ToolRun.h"

namespace {
unsigned Brightness(LICE_pixel p) { return LICE_GETR(p) + LICE_GETG(p) + LICE_GETB(p); }

// Width and height from a PNG's header.
std::pair<uint32_t, uint32_t> PngSize(const std::string& path)
{
  const std::string b = toolrun::Read(path);
  if (b.size() < 24 || b.compare(12, 4, "IHDR") != 0) return {0, 0};
  auto be = [&](size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
    return v;
  };
  return {be(16), be(20)};
}

int Tool(const std::string& args) { return toolrun::Run(args).status; }
}  // namespace

TEST(SoundSheet, ASineIsBrightestInTheRowOfItsFrequency)
{
  LICE_MemBitmap row(kSheetWidth, kSheetRowHeight);
  for (double hz : {1000.0, 6000.0}) {
    SCOPED_TRACE(hz);
    std::vector<float> x(22050);
    for (size_t i = 0; i < x.size(); ++i) x[i] = static_cast<float>(0.5 * std::sin(2.0 * M_PI * hz * i / 44100.0));
    DrawSheetRow(&row, {"sine", "", x.data(), x.size(), 44100.0});
    int brightest = -1, nearest = 0;
    unsigned most = 0;
    for (int r = 0; r < kPanelHeight; ++r) {
      const unsigned b = Brightness(LICE_Row(&row, kPanelTop + r)[kSpectrumLeft + kSpectrumWidth / 2]);
      if (b > most) most = b, brightest = r;
      auto distance = [&](int at) { return std::fabs(std::log(SpectrumRowHz(at, 44100.0) / hz)); };
      if (distance(r) < distance(nearest)) nearest = r;
    }
    EXPECT_NEAR(brightest, nearest, 1);
    // -6 dBFS on a ramp from -100 to 0 dBFS: bright, far from white.
    EXPECT_GT(most, 400u);
    EXPECT_LT(most, 765u);
  }
  EXPECT_NEAR(SpectrumRowHz(kPanelHeight - 1, 44100.0), 40.0 * std::pow(22050.0 / 40.0, 0.5 / kPanelHeight), 1e-9);
}

TEST(SoundSheet, SilenceDrawsAFlatLineAndABlackSpectrogram)
{
  LICE_MemBitmap row(kSheetWidth, kSheetRowHeight);
  const std::vector<float> silence(4410, 0.0f);
  for (size_t n : {silence.size(), size_t{0}}) {
    DrawSheetRow(&row, {"quiet", "seed 1", silence.data(), n, 44100.0});
    const LICE_pixel panel = LICE_Row(&row, kPanelTop)[kWaveLeft];
    for (int y = kPanelTop; y < kPanelTop + kPanelHeight; ++y) {
      for (int x = 0; x < kWaveWidth; ++x) {
        const bool drawn = LICE_Row(&row, y)[kWaveLeft + x] != panel;
        EXPECT_EQ(drawn, y == kPanelTop + kPanelHeight / 2) << x << "," << y;
      }
      for (int x = 0; x < kSpectrumWidth; ++x) EXPECT_EQ(Brightness(LICE_Row(&row, y)[kSpectrumLeft + x]), 0u);
    }
  }
}

TEST(SoundSheet, SheetsHaveARowPerSoundAndPlotsOne)
{
  const std::string dir = toolrun::NewDir();
  ASSERT_EQ(Tool("generate blip --count 3 --seed 5 --sheet " + dir + "/blips.png -o " + dir), 0);
  EXPECT_EQ(PngSize(dir + "/blips.png"), std::make_pair(1000u, 360u));
  ASSERT_EQ(Tool("plot " + dir + "/blip-s6-002.wav -o " + dir + "/one.png"), 0);
  EXPECT_EQ(PngSize(dir + "/one.png"), std::make_pair(1000u, 120u));
  ASSERT_EQ(Tool("plot --state " + dir + "/blip-s6-002.vorblex -o " + dir + "/two.png"), 0);
  EXPECT_EQ(PngSize(dir + "/two.png"), std::make_pair(1000u, 120u));
  // Bad input leaves no picture behind.
  EXPECT_EQ(Tool("plot " + dir + "/blip-s6-002.wav --state " + dir + "/blip-s6-002.vorblex -o " + dir + "/x.png"), 2);
  EXPECT_EQ(Tool("plot " + dir + "/missing.wav -o " + dir + "/x.png"), 2);
  EXPECT_EQ(Tool("generate blip --seed 1 --sheet " + dir + "/no/such/folder/x.png -o " + dir + "/more"), 2);
  for (const char* left : {"/x.png", "/more/blip-s1-001.wav", "/more/blip-s1-001.vorblex"})
    EXPECT_NE(access((dir + left).c_str(), F_OK), 0) << left;
  EXPECT_EQ(std::system(("rm -rf " + dir).c_str()), 0);
}
