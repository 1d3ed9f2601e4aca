#include "cli/SoundSheet.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "cli/CliCommon.h"
#include "cli/Fft.h"
#include "editor/BitmapFont.h"
#include "editor/raster/LICE_Blit.h"
#include "editor/raster/LICE_Png.h"

namespace {
constexpr int kWhiteGlyphs14Id = 118;  // resources/vorblex.rc
constexpr int kGlyphHeight = 14;
constexpr double kFloorDb = -100.0;
constexpr LICE_pixel kBackground = LICE_RGBA(28, 28, 34, 255);
constexpr LICE_pixel kPanel = LICE_RGBA(0, 0, 0, 255);
constexpr LICE_pixel kWave = LICE_RGBA(120, 210, 255, 255);

void Fill(LICE_IBitmap* b, int l, int t, int r, int bottom, LICE_pixel c)
{
  for (int y = t; y < bottom; ++y) std::fill(LICE_Row(b, y) + l, LICE_Row(b, y) + r, c);
}

// The editor's 14-pixel glyph strip in white, one frame per code from 32 on.
LICE_IBitmap* Glyphs()
{
  static std::unique_ptr<LICE_MemBitmap> strip(LoadPngResource(kWhiteGlyphs14Id, "Eyetype_3_14_white.png"));
  return strip.get();
}

// Text from (x, y), cut at the last glyph that fits before `right`.
void DrawText(LICE_IBitmap* b, const std::string& text, int x, int y, int right, float opacity)
{
  LICE_IBitmap* strip = Glyphs();
  if (!strip) return;
  for (unsigned char c : text) {
    const int advance = kAdvances14.Advance(c);
    if (x + advance > right) break;
    LICE_Rect src;
    src.t = (c < 32 ? 0 : c - 32) * kGlyphHeight;
    src.b = src.t + kGlyphHeight;
    src.r = strip->GetWidth();
    Blit(b, strip, x, y, &src, opacity, kBlitModeCopy | kBlitUseSourceAlpha);
    x += advance;
  }
}

void DrawWave(LICE_IBitmap* b, const SheetSound& s)
{
  auto rowOf = [](double v) {
    const double c = std::isfinite(v) ? std::clamp(v, -1.0, 1.0) : 0.0;
    return kPanelTop + static_cast<int>(std::lround((1.0 - c) * (kPanelHeight - 1) / 2.0));
  };
  for (int x = 0; x < kWaveWidth; ++x) {
    double lo = 0.0, hi = 0.0;
    if (s.count > 0) {
      const size_t from = static_cast<size_t>(x) * s.count / kWaveWidth;
      const size_t to = std::max(from + 1, static_cast<size_t>(x + 1) * s.count / kWaveWidth);
      lo = hi = s.samples[from];
      for (size_t i = from; i < to && i < s.count; ++i) {
        lo = std::min(lo, static_cast<double>(s.samples[i]));
        hi = std::max(hi, static_cast<double>(s.samples[i]));
      }
    }
    for (int y = rowOf(hi); y <= rowOf(lo); ++y) LICE_Row(b, y)[kWaveLeft + x] = kWave;
  }
}

// Black, violet, red, yellow, white: each step brighter than the last.
LICE_pixel Ramp(double v)
{
  static const double knots[5][3] = {{0, 0, 0}, {80, 0, 160}, {230, 40, 40}, {255, 220, 0}, {255, 255, 255}};
  const double pos = std::clamp(v, 0.0, 1.0) * 4.0;
  const int k = std::min(3, static_cast<int>(pos));
  const double f = pos - k;
  unsigned c[3];
  for (int i = 0; i < 3; ++i)
    c[i] = static_cast<unsigned>(std::lround(knots[k][i] + f * (knots[k + 1][i] - knots[k][i])));
  return LICE_RGBA(c[0], c[1], c[2], 255);
}

void DrawSpectrum(LICE_IBitmap* b, const SheetSound& s)
{
  size_t n = 256;
  while (n < s.rate * 0.02) n *= 2;
  const double binHz = s.rate / static_cast<double>(n);
  // Each pixel row shows the strongest bin inside its band, or the nearest
  // bin where bands are narrower than bins.
  const double halfRow = std::pow(s.rate / 2.0 / kSpectrumLowestHz, 0.5 / kPanelHeight);
  std::vector<std::pair<size_t, size_t>> bins(kPanelHeight);
  for (int r = 0; r < kPanelHeight; ++r) {
    const double centre = SpectrumRowHz(r, s.rate);
    size_t first = static_cast<size_t>(std::ceil(centre / halfRow / binHz));
    size_t last = static_cast<size_t>(std::floor(centre * halfRow / binHz));
    if (first > last) first = last = static_cast<size_t>(std::lround(centre / binHz));
    bins[static_cast<size_t>(r)] = {std::min(first, n / 2), std::min(last, n / 2)};
  }
  std::vector<double> window(n);
  for (size_t k = 0; k < n; ++k) window[k] = 0.5 - 0.5 * std::cos(2.0 * M_PI * static_cast<double>(k) / n);
  // A full-scale sine peaks at n/4 through the window.
  const double fullScale = n / 4.0;
  std::vector<std::complex<double>> x(n);
  for (int col = 0; col < kSpectrumWidth; ++col) {
    const double centre = (col + 0.5) * static_cast<double>(s.count) / kSpectrumWidth;
    const long start = std::lround(centre) - static_cast<long>(n / 2);
    for (size_t k = 0; k < n; ++k) {
      const long i = start + static_cast<long>(k);
      const double v = i >= 0 && static_cast<size_t>(i) < s.count ? s.samples[static_cast<size_t>(i)] : 0.0;
      x[k] = std::isfinite(v) ? v * window[k] : 0.0;
    }
    Fft(x);
    for (int r = 0; r < kPanelHeight; ++r) {
      double peak = 0.0;
      for (size_t k = bins[static_cast<size_t>(r)].first; k <= bins[static_cast<size_t>(r)].second; ++k)
        peak = std::max(peak, std::abs(x[k]));
      const double db = peak > 0.0 ? 20.0 * std::log10(peak / fullScale) : kFloorDb;
      LICE_Row(b, kPanelTop + r)[kSpectrumLeft + col] = Ramp((db - kFloorDb) / -kFloorDb);
    }
  }
}
}  // namespace

double SpectrumRowHz(int row, double rate)
{
  const double top = rate / 2.0;
  return kSpectrumLowestHz * std::pow(top / kSpectrumLowestHz, (kPanelHeight - row - 0.5) / kPanelHeight);
}

void DrawSheetRow(LICE_IBitmap* b, const SheetSound& sound)
{
  Fill(b, 0, 0, kSheetWidth, kSheetRowHeight, kBackground);
  Fill(b, kWaveLeft, kPanelTop, kWaveLeft + kWaveWidth, kPanelTop + kPanelHeight, kPanel);
  DrawText(b, sound.name, 8, 10, kWaveLeft - 8, 1.0f);
  DrawText(b, sound.detail, 8, 30, kWaveLeft - 8, 0.7f);
  char length[32];
  std::snprintf(length, sizeof length, "%.3f s", sound.count / sound.rate);
  DrawText(b, length, 8, 50, kWaveLeft - 8, 0.7f);
  DrawWave(b, sound);
  DrawSpectrum(b, sound);
}

SoundSheet::SoundSheet(const std::string& path, int rows)
    : mPath(path), mPart(path + ".part"), mRow(std::make_unique<LICE_MemBitmap>(kSheetWidth, kSheetRowHeight))
{
  if (rows < 1 || rows > 1000) throw CliError("a sheet has 1 to 1000 rows");
  if (!Glyphs()) throw CliError("the sheet's font is missing from this build");
  if (!mPng.Open(mPart, kSheetWidth, rows * kSheetRowHeight))
    throw CliError("cannot write " + Quote(path) + ": " + std::strerror(errno));
}

void SoundSheet::Add(const SheetSound& sound)
{
  DrawSheetRow(mRow.get(), sound);
  if (!mPng.Append(mRow.get(), kSheetRowHeight)) throw CliError("cannot write " + Quote(mPath));
}

void SoundSheet::Finish()
{
  if (!mPng.Finish()) throw CliError("cannot write " + Quote(mPath));
  CommitFile(mPart, mPath);
}
